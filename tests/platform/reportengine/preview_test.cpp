#include "platform/reportengine/previewwindow.h"
#include "platform/ui/qtoperator.h"
#include "platform/vb/steps.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;

// A three-page report: 70 rows, 26 to a page.
ReportDocument threePages() {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Listado">
        <page width="100" height="100" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <pageHeader height="5">
          <formula x="0" y="0" width="90" height="5" source="{@Empresa}"/>
        </pageHeader>
        <detail height="3"><field x="0" y="0" width="90" height="3" source="{T.N}"/></detail>
        <pageFooter height="5">
          <pagenumber x="0" y="0" width="90" height="5">{page}/{pages}</pagenumber>
        </pageFooter>
        </report>)");
    doc.formulas = {{QStringLiteral("Empresa"), QStringLiteral("ACME")}};
    doc.data.columns = {{QStringLiteral("N"), ColumnKind::Number}};
    for (int i = 1; i <= 70; ++i) doc.data.rows.append({vb::Variant(i)});
    return doc;
}

template <typename T>
T* child(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(PreviewWindowTest, OpensOffscreenAndClosesWithItsButton) {
    PreviewWindow window(threePages());
    bool wasVisible = false;
    QTimer::singleShot(0, [&] {
        wasVisible = window.isVisible();
        child<QPushButton>(window, "closeButton")->click();
    });
    ui::QtOperator qt;
    EXPECT_EQ(qt.showModal(window), QDialog::Accepted);
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Listado"));
    EXPECT_EQ(window.document().formula(QStringLiteral("Empresa")), QStringLiteral("ACME"));
    EXPECT_EQ(window.document().data.rows.size(), 70);
}

TEST(PreviewWindowTest, PagesZoomAndExportFollowTheButtons) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("listado.pdf"));
    zxtest::ScriptedOperator op;
    op.form([&](QDialog& form) {
        auto& window = static_cast<PreviewWindow&>(form);
        auto* label = child<QLabel>(window, "pageLabel");
        EXPECT_EQ(window.pageCount(), 3);
        EXPECT_EQ(label->text(), QStringLiteral("Página 1 de 3"));
        EXPECT_FALSE(child<QPushButton>(window, "previousPage")->isEnabled());

        child<QPushButton>(window, "nextPage")->click();
        EXPECT_EQ(label->text(), QStringLiteral("Página 2 de 3"));
        child<QPushButton>(window, "lastPage")->click();
        EXPECT_EQ(window.currentPage(), 2);
        EXPECT_FALSE(child<QPushButton>(window, "nextPage")->isEnabled());
        child<QPushButton>(window, "firstPage")->click();
        EXPECT_EQ(window.currentPage(), 0);

        auto* view = child<QLabel>(window, "pageView");
        const int width = view->pixmap().width();
        child<QComboBox>(window, "zoom")->setCurrentIndex(4);  // 200%
        EXPECT_EQ(window.zoom(), 2.0);
        EXPECT_NEAR(view->pixmap().width(), 2 * width, 2);

        child<QPushButton>(window, "exportButton")->click();
        child<QPushButton>(window, "closeButton")->click();
        return form.result();
    });
    op.saveFile(pdf);
    PreviewWindow window(threePages());
    EXPECT_EQ(ui::op().showModal(window), QDialog::Accepted);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    ASSERT_EQ(op.prompts().size(), 2);
    EXPECT_EQ(op.prompts()[0].text, QStringLiteral("PreviewWindow"));
    EXPECT_EQ(op.prompts()[1].title, QStringLiteral("Exportar a PDF"));
}

TEST(PreviewWindowTest, AnExportThatFailsIsToldAndTheWindowStaysOpen) {
    zxtest::ScriptedOperator op;
    op.saveFile(QStringLiteral("/no/such/folder/x.pdf"));
    op.answer(vb::vbOK);
    PreviewWindow window(threePages());
    window.exportPdf();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages()[0].text.contains(QStringLiteral("/no/such/folder/x.pdf")));
    EXPECT_EQ(op.messages()[0].title, QStringLiteral("Aviso al Operador"));
}

}  // namespace
