#include "tests/send/report_file.h"

#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/reportform.h"

namespace sendtest {

void writeSavedReport(const QString& path) {
    using namespace reportengine;
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Informe de Errores">
        <page size="A4" left="10" top="10" right="10" bottom="10"/>
        <data table="AUX_ERR"/>
        <reportHeader height="10">
          <text x="0" y="0" width="190" height="8">Informe de Errores</text>
        </reportHeader>
        <detail height="5">
          <field x="0" y="0" width="190" height="5" source="{AUX_ERR.Proceso}"/>
        </detail>
        </report>)");
    doc.data.columns = {{"Proceso", ColumnKind::Text}};
    doc.data.rows = {{vb::Variant(QStringLiteral("Facturacion"))},
                     {vb::Variant(QStringLiteral("Cobranzas"))}};
    writeReportFile(doc, path, kReportFileType);
}

}  // namespace sendtest
