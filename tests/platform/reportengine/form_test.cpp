#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/reportform.h"
#include "platform/reportengine/request.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include <sys/stat.h>

namespace {

using namespace reportengine;

long errorNumberOf(const std::function<void()>& action) {
    const std::optional<vb::VbError> e = zxtest::raised(action);
    if (!e) return 0;
    EXPECT_EQ(e->Source, errorSource());
    return e->Number;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(ReportFormTest, TheShippedErrorLogFormIsInstalledNextToTheProgram) {
    const ReportForm form = readForm(QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt"));
    EXPECT_EQ(form.title, QStringLiteral("Informe de Errores"));
    EXPECT_EQ(form.table, QStringLiteral("AUX_ERR"));
    ASSERT_EQ(form.sort.size(), 1);
    EXPECT_EQ(form.sort[0].field.column, QStringLiteral("fecha"));
    EXPECT_FALSE(form.sort[0].descending);
    EXPECT_EQ(form.formulas(), QStringList{QStringLiteral("Nombreempresa")});
    QStringList columns;
    for (const FieldRef& f : form.fields()) columns.append(f.column);
    EXPECT_EQ(columns,
              (QStringList{"fecha", "Usuario", "PC", "Proceso", "Error", "Descripcion", "sql"}));
    EXPECT_GT(form.pageWidth, form.pageHeight);  // landscape
}

TEST(ReportFormTest, WritingAFormAndReadingItBackKeepsEverything) {
    QTemporaryDir dir;
    // A 1x1 PNG, so the picture travels inside the written form.
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5Er"
        "kJggg==");
    writeFile(dir.filePath(QStringLiteral("logo.png")), png);
    const QByteArray xml = R"(<report version="1" title="T &amp; Cía">
        <page width="100" height="50" left="1" top="2" right="3" bottom="4"/>
        <data table="V_MV_CPTE"><sort field="{V_MV_CPTE.Id}" order="descending"/></data>
        <font family="DejaVu Serif" size="7"/>
        <pageHeader height="5">
          <picture x="1" y="1" width="3" height="3" src="logo.png"/>
        </pageHeader>
        <detail height="4">
          <field x="0" y="0" width="20" height="4" source="{V_MV_CPTE.NUMERO ASIENTO}"
                 format="0.00" align="right" bold="true"/>
          <text x="20" y="0" width="20" height="4" wrap="true" italic="true" size="9">a  b</text>
          <line x1="0" y1="3.5" x2="40" y2="3.5" thickness="0.5"/>
        </detail>
        <reportFooter height="6"><formula x="0" y="0" width="30" height="5" source="{@Empresa}"/>
          <pagenumber x="30" y="0" width="10" height="5" align="center">{page}/{pages}</pagenumber>
        </reportFooter></report>)";
    writeFile(dir.filePath(QStringLiteral("f.rpt")), xml);

    const ReportForm form = readForm(dir.filePath(QStringLiteral("f.rpt")));
    EXPECT_EQ(form.title, QStringLiteral("T & Cía"));
    EXPECT_EQ(form.band(Band::PageHeader).objects[0].picture, png);
    const ReportObject& field = form.band(Band::Detail).objects[0];
    EXPECT_EQ(field.field.column, QStringLiteral("NUMERO ASIENTO"));
    EXPECT_EQ(field.font.family, QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(field.font.bold);
    EXPECT_EQ(form.band(Band::Detail).objects[1].text, QStringLiteral("a  b"));

    const QByteArray written = formToXml(form);
    const ReportForm again = parseForm(written);  // no folder: the picture is inline
    EXPECT_EQ(formToXml(again), written);
    EXPECT_EQ(again.band(Band::PageHeader).objects[0].picture, png);
    EXPECT_EQ(again.sort[0].descending, true);
    EXPECT_EQ(again.marginBottom, 4);
    EXPECT_EQ(again.formulas(), QStringList{QStringLiteral("Empresa")});
}

TEST(ReportFormTest, BrokenFormsRaiseTheirOwnErrors) {
    QTemporaryDir dir;
    const char* const invalid[] = {
        "not xml at all",
        "<report version=\"2\"><data table=\"T\"/></report>",
        "<report version=\"1\"></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"x\"/></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"5\"><blink/></detail></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"5\"><field x=\"0\" y=\"0\" "
        "width=\"1\" height=\"1\" source=\"T.C\"/></detail></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"5\"><formula x=\"0\" y=\"0\" "
        "width=\"1\" height=\"1\" source=\"{T.C}\"/></detail></report>",
        "<report version=\"1\" colour=\"red\"><data table=\"T\"/></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"5\"/><detail "
        "height=\"5\"/></report>",
        "<report version=\"1\"><page size=\"B7\"/><data table=\"T\"/></report>",
        "<report version=\"1\"><data table=\"T\"/><detail height=\"5\"><picture x=\"0\" y=\"0\" "
        "width=\"1\" height=\"1\" src=\"missing.png\"/></detail></report>",
    };
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        const QString path = dir.filePath(QStringLiteral("bad.rpt"));
        writeFile(path, text);
        EXPECT_EQ(errorNumberOf([&] { readForm(path); }), err::FormInvalid);
    }
    EXPECT_EQ(errorNumberOf([&] { readForm(dir.filePath(QStringLiteral("none.rpt"))); }),
              err::FormNotFound);
    EXPECT_EQ(errorNumberOf([&] { readForm(dir.path()); }), err::FormNotFound);
}

TEST(ReportFormTest, PicturesComeOnlyFromTheFormsFolderOrTheProgramsOne) {
    zxtest::ProgramFolder program;
    QTemporaryDir forms;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir(forms.path()).mkdir(QStringLiteral("IMAGENES")));
    writeFile(forms.filePath(QStringLiteral("IMAGENES/logo.png")), "form");
    writeFile(program.file(QStringLiteral("empresa.png")), "program");
    writeFile(elsewhere.filePath(QStringLiteral("secreto.png")), "secret");
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("secreto.png")),
                            forms.filePath(QStringLiteral("enlace.png"))));
    const QString outside = elsewhere.filePath(QStringLiteral("secreto.png"));
    // How many "../" lead from the forms folder to the root.
    const QString toRoot = QStringLiteral("../").repeated(forms.path().count(u'/'));
    struct Case {
        QString src;
        QByteArray picture;  // empty: the form is refused, naming the path
    } cases[] = {
        {QStringLiteral("IMAGENES/logo.png"), "form"},
        {forms.filePath(QStringLiteral("IMAGENES/logo.png")), "form"},
        {program.file(QStringLiteral("empresa.png")), "program"},
        {outside, {}},
        {QStringLiteral("/etc/hostname"), {}},
        {toRoot + outside.mid(1), {}},
        {QStringLiteral("IMAGENES/../../") + QFileInfo(elsewhere.path()).fileName() +
             QStringLiteral("/secreto.png"),
         {}},
        {QStringLiteral("enlace.png"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src.toStdString());
        const QString path = forms.filePath(QStringLiteral("f.rpt"));
        writeFile(path,
                  "<report version=\"1\"><data table=\"T\"/><detail height=\"5\">"
                  "<picture x=\"0\" y=\"0\" width=\"1\" height=\"1\" src=\"" +
                      c.src.toUtf8() + "\"/></detail></report>");
        if (!c.picture.isEmpty()) {
            EXPECT_EQ(readForm(path).band(Band::Detail).objects[0].picture, c.picture);
            continue;
        }
        const std::optional<vb::VbError> e = zxtest::raised([&] { readForm(path); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid);
        EXPECT_TRUE(e->Description.contains(c.src)) << e->Description.toStdString();
    }
}

// A picture of the form larger than a report may draw is refused when the form is read, from
// its header, naming its file, or its line when the form holds it.
TEST(ReportFormTest, AFormsPictureTooLargeIsRefusedNamingIt) {
    QTemporaryDir forms;
    const QByteArray gif = zxtest::gifAnnouncing({65535, 480}, {1, 1});
    writeFile(forms.filePath(QStringLiteral("enorme.gif")), gif);
    const QString path = forms.filePath(QStringLiteral("f.rpt"));
    const struct {
        QByteArray picture;
        QString named;
    } cases[] = {
        {R"(<picture x="0" y="0" width="1" height="1" src="enorme.gif"/>)",
         forms.filePath(QStringLiteral("enorme.gif"))},
        {"\n<picture x=\"0\" y=\"0\" width=\"1\" height=\"1\">" + gif.toBase64() + "</picture>",
         QStringLiteral("de la línea 2 del formulario")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        writeFile(path, "<report version=\"1\"><data table=\"T\"/><detail height=\"5\">" +
                            c.picture + "</detail></report>");
        const std::optional<vb::VbError> e = zxtest::raised([&] { readForm(path); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid);
        EXPECT_EQ(e->Description, QStringLiteral("La imagen %1 es demasiado grande: 65535 × 480 "
                                                 "píxeles (se admiten hasta 24 millones)")
                                      .arg(c.named));
    }
}

// A subreport is a file the form names too: the same folders, and no others.
TEST(ReportFormTest, SubreportsComeOnlyFromTheFormsFolderOrTheProgramsOne) {
    zxtest::ProgramFolder program;
    QTemporaryDir forms;
    QTemporaryDir elsewhere;
    const QByteArray sub = "<report version=\"1\"><data table=\"S\"/></report>";
    writeFile(forms.filePath(QStringLiteral("SUB.rpt")), sub);
    writeFile(elsewhere.filePath(QStringLiteral("SUB.rpt")), sub);
    const struct {
        QString src;
        bool allowed;
    } cases[] = {
        {QStringLiteral("SUB.rpt"), true},
        {elsewhere.filePath(QStringLiteral("SUB.rpt")), false},
        {QStringLiteral("../") + QFileInfo(elsewhere.path()).fileName() +
             QStringLiteral("/SUB.rpt"),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.src.toStdString());
        const QString path = forms.filePath(QStringLiteral("f.rpt"));
        writeFile(
            path,
            "<report version=\"1\"><data table=\"T\"/><detail height=\"5\">"
            "<subreport name=\"S\" links=\"K\" x=\"0\" y=\"0\" width=\"1\" height=\"1\" src=\"" +
                c.src.toUtf8() + "\"/></detail></report>");
        const std::optional<vb::VbError> e = zxtest::raised([&] { readForm(path); });
        if (c.allowed) {
            EXPECT_FALSE(e.has_value());
            continue;
        }
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid);
        EXPECT_TRUE(e->Description.contains(QStringLiteral("subreporte")))
            << e->Description.toStdString();
    }
}

// A named pipe or a folder where a picture or a subreport should be is refused, naming it,
// instead of waiting for ever for a writer that never comes.
TEST(ReportFormTest, PicturesAndSubreportsMustBeRegularFiles) {
    QTemporaryDir forms;
    for (const char* pipe : {"tubo.png", "tubo.rpt"})
        ASSERT_EQ(mkfifo(QFile::encodeName(forms.filePath(pipe)).constData(), 0600), 0);
    ASSERT_TRUE(QDir(forms.path()).mkdir(QStringLiteral("carpeta.png")));
    const char* const objects[] = {
        R"(<picture x="0" y="0" width="1" height="1" src="tubo.png"/>)",
        R"(<picture x="0" y="0" width="1" height="1" src="carpeta.png"/>)",
        R"(<subreport name="S" links="K" x="0" y="0" width="1" height="1" src="tubo.rpt"/>)",
    };
    for (const char* object : objects) {
        SCOPED_TRACE(object);
        const QString path = forms.filePath(QStringLiteral("f.rpt"));
        writeFile(path, QByteArray(R"(<report version="1"><data table="T"/><detail height="5">)") +
                            object + "</detail></report>");
        const std::optional<vb::VbError> e = zxtest::raised([&] { readForm(path); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid);
        const QString src = QString::fromUtf8(object).section(u'"', -2, -2);
        EXPECT_TRUE(e->Description.contains(forms.filePath(src))) << e->Description.toStdString();
    }
}

// Sizes, positions and fonts are finite and within the page, else the form is refused with an
// error that names the attribute, before any layout could run without end.
TEST(ReportFormTest, MeasuresOutsideThePageAreRefusedNamingTheAttribute) {
    const auto form = [](const QString& page, const QString& bands) {
        return QStringLiteral("<report version=\"1\">%1<data table=\"T\"/>%2</report>")
            .arg(page, bands)
            .toUtf8();
    };
    const auto text = [](const QString& attributes) {
        return QStringLiteral("<detail height=\"5\"><text %1>x</text></detail>").arg(attributes);
    };
    const struct {
        QByteArray xml;
        const char* attribute;
    } cases[] = {
        {form({}, "<detail height=\"inf\"/>"), "height"},
        {form({}, "<detail height=\"nan\"/>"), "height"},
        {form({}, "<pageHeader height=\"1e308\"/>"), "height"},
        {form({}, "<reportFooter height=\"-inf\"/>"), "height"},
        {form({}, "<detail height=\"298\"/>"), "height"},
        {form({}, "<pageHeader height=\"140\"/><pageFooter height=\"140\"/>"), "height"},
        {form("<page width=\"1e308\"/>", {}), "width"},
        {form("<page height=\"inf\"/>", {}), "height"},
        {form("<page top=\"150\" bottom=\"150\"/>", {}), "bottom"},
        {form("<page left=\"nan\"/>", {}), "left"},
        {form("<font size=\"nan\"/>", {}), "size"},
        {form({}, text("x=\"inf\" y=\"0\" width=\"1\" height=\"1\"")), "x"},
        {form({}, text("x=\"0\" y=\"1e308\" width=\"1\" height=\"1\"")), "y"},
        {form({}, text("x=\"0\" y=\"0\" width=\"1e308\" height=\"1\"")), "width"},
        {form({}, text("x=\"0\" y=\"0\" width=\"1\" height=\"nan\"")), "height"},
        {form({}, text("x=\"0\" y=\"0\" width=\"1\" height=\"1\" size=\"1e308\"")), "size"},
        {form({}, text("x=\"0\" y=\"0\" width=\"1\" height=\"1\" size=\"inf\"")), "size"},
        {form({}, "<detail height=\"5\"><line x1=\"0\" y1=\"0\" x2=\"inf\" y2=\"0\"/></detail>"),
         "x2"},
        {form({},
              "<detail height=\"5\"><line x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\" "
              "thickness=\"1e308\"/></detail>"),
         "thickness"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml.toStdString());
        const std::optional<vb::VbError> e = zxtest::raised([&] { parseForm(c.xml); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid);
        EXPECT_TRUE(e->Description.contains(QStringLiteral("\"%1\"").arg(c.attribute)))
            << e->Description.toStdString();
    }
    // A form at the page's edges is whole.
    EXPECT_FALSE(zxtest::raised([&] {
                     parseForm(form("<page size=\"A4\" top=\"10\" bottom=\"10\"/>",
                                    "<detail height=\"277\"><text x=\"0\" y=\"0\" width=\"210\" "
                                    "height=\"277\" size=\"72\">x</text></detail>"));
                 }).has_value());
}

// Nesting never recurses in the reader: a deep document is an error, not a crash.
TEST(ReportFormTest, DeeplyNestedElementsAreAnError) {
    const QByteArray open = QByteArray("<text x=\"0\" y=\"0\" width=\"1\" height=\"1\">");
    const QByteArray xml = "<report version=\"1\"><data table=\"T\"/><detail height=\"5\">" +
                           open.repeated(100000) + QByteArray("</text>").repeated(100000) +
                           "</detail></report>";
    EXPECT_EQ(errorNumberOf([&] { parseForm(xml); }), err::FormInvalid);
}

TEST(ReportFormTest, FormNamesResolveLikeTheProgramFolderDoes) {
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("Asientos.RPT")), "x");
    const QString expected = dir.filePath(QStringLiteral("Asientos.RPT"));
    EXPECT_EQ(resolveFormPath(QStringLiteral("Asientos"), dir.path()), expected);
    EXPECT_EQ(resolveFormPath(QStringLiteral("asientos.rpt"), dir.path() + u'/'), expected);
    EXPECT_EQ(resolveFormPath(expected, QStringLiteral("/elsewhere")), expected);
    QString windowsStyle = dir.path() + QStringLiteral("\\ASIENTOS.rpt");
    EXPECT_EQ(resolveFormPath(windowsStyle, {}), expected);
}

TEST(AssignmentTest, NameAndValueAreReadAsCallersWriteThem) {
    struct {
        const char* text;
        const char* name;
        const char* value;
    } const cases[] = {
        {"Nombreempresa = 'ACME SA'", "Nombreempresa", "ACME SA"},
        {"Nombreempresa = 'O'Brien SA'", "Nombreempresa", "O'Brien SA"},
        {"Telefono= 'Telefono:4444-5555'", "Telefono", "Telefono:4444-5555"},
        {"CodigoPostal='ORIGINAL'", "CodigoPostal", "ORIGINAL"},
        {"  EMPRESA   =  ''  ", "EMPRESA", ""},
        {"Direccion = 'Calle 1  2 = 3'", "Direccion", "Calle 1  2 = 3"},
        {"ENQUEMONEDA = 1", "ENQUEMONEDA", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto a = parseAssignment(QString::fromUtf8(c.text));
        ASSERT_TRUE(a.has_value());
        EXPECT_EQ(a->name, QString::fromUtf8(c.name));
        EXPECT_EQ(a->value, QString::fromUtf8(c.value));
    }
    EXPECT_FALSE(parseAssignment(QStringLiteral("   ")).has_value());
    EXPECT_EQ(errorNumberOf([] { parseAssignment(QStringLiteral("= 'x'")); }), err::Formula);
    EXPECT_EQ(errorNumberOf([] { parseAssignment(QStringLiteral("Nombre = 'x")); }), err::Formula);
    EXPECT_EQ(errorNumberOf([] { parseAssignment(QStringLiteral("Nombre")); }), err::Formula);
}

TEST(AssignmentTest, SortFieldsAreRecognisedByTheirShape) {
    const auto up = parseSortField(QStringLiteral("+{Aux_Mv_Cpte.ID}"));
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(up->field, (FieldRef{"Aux_Mv_Cpte", "ID"}));
    EXPECT_FALSE(up->descending);
    const auto down = parseSortField(QStringLiteral(" - { MV_ASIENTOS.NUMERO ASIENTO } "));
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ(down->field, (FieldRef{"MV_ASIENTOS", "NUMERO ASIENTO"}));
    EXPECT_TRUE(down->descending);
    for (const char* other : {"", "{T.F}", "Nombre = '+{T.F}'", "+T.F", "+{T}", "++{T.F}"}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(parseSortField(QString::fromUtf8(other)).has_value());
    }
}

TEST(AssignmentTest, LogonTextGivesDatabaseUserAndPassword) {
    const Logon l = parseLogon(QStringLiteral("DSN=empresa; UID=sa; PWD=a=b "));
    EXPECT_EQ(l.database, QStringLiteral("empresa"));
    EXPECT_EQ(l.user, QStringLiteral("sa"));
    EXPECT_EQ(l.password, QStringLiteral("a=b"));
    const Logon other = parseLogon(QStringLiteral("pwd=;uid=ANA;dsn=X"));
    EXPECT_EQ(other.database, QStringLiteral("X"));
    EXPECT_EQ(other.user, QStringLiteral("ANA"));
    EXPECT_EQ(other.password, QString());
}

TEST(SavedDocumentTest, EveryKindOfValueComesBackAsItWasSaved) {
    QTemporaryDir dir;
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Prueba"><data table="T"/></report>)");
    doc.formulas = {{"Nombreempresa", "O'Brien SA"}, {"Vacia", ""}};
    doc.selection = QStringLiteral("{T.A} = 'x'");
    doc.created = vb::wallClock(QDate(2026, 12, 9), QTime(10, 11, 12, 345));
    doc.data.columns = {{"A", ColumnKind::Text},
                        {"B", ColumnKind::Number},
                        {"C", ColumnKind::Date},
                        {"D", ColumnKind::Other}};
    doc.data.rows = {
        {vb::Variant(QStringLiteral("línea 1\r\nlínea 2\ttab \x01 <&>")), vb::Variant(12.5),
         vb::Variant(vb::wallClock(QDate(2026, 1, 2), QTime(3, 4, 5))), vb::Variant(true)},
        {vb::Variant::null(), vb::Variant(42), vb::Variant(vb::Currency::fromScaled(123456)),
         vb::Variant(QByteArray("\x00\xff", 2))},
        {vb::Variant(QStringLiteral("  blancos  ")), vb::Variant(std::int16_t(-3)),
         vb::Variant(4000000000LL), vb::Variant()},
        // Whole numbers past a double's exact ones, to the ends of their type.
        {vb::Variant(9007199254740993LL), vb::Variant(std::numeric_limits<qint64>::max()),
         vb::Variant(std::numeric_limits<qint64>::min()),
         vb::Variant(std::numeric_limits<std::int32_t>::min())},
    };
    const QString path = dir.filePath(QStringLiteral("104512.RPT"));
    saveDocument(doc, path);

    const ReportDocument back = loadDocument(path);
    EXPECT_EQ(back.data.rows, doc.data.rows);
    EXPECT_EQ(back.data.columns.size(), 4);
    EXPECT_EQ(back.data.columns[2].kind, ColumnKind::Date);
    EXPECT_EQ(back.formula(QStringLiteral("NOMBREEMPRESA")), QStringLiteral("O'Brien SA"));
    EXPECT_EQ(back.selection, doc.selection);
    EXPECT_EQ(back.created, doc.created);
    EXPECT_EQ(formToXml(back.form), formToXml(doc.form));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("104512.RPT")});
}

// A saved report as the first version wrote it, each row with its picture's bytes, still reads.
TEST(SavedDocumentTest, SavedReportsOfTheFirstVersionStillRead) {
    QTemporaryDir dir;
    const QByteArray picture("\x89PNG-no-es-una-imagen", 21);
    const QByteArray base64 = picture.toBase64();
    const QString path = dir.filePath(QStringLiteral("viejo.RPT"));
    writeFile(path, R"(<?xml version="1.0" encoding="UTF-8"?>
<zentrik-report-document version="1" created="2026-12-09T10:11:12.345">
    <selection>{T.A} = 'x'</selection>
    <formulas><formula name="Empresa">ACME</formula></formulas>
    <report version="1" title="Viejo"><data table="T"/><detail height="5">
      <field x="0" y="0" width="50" height="5" source="{T.A}"/>
      <picture x="60" y="0" width="5" height="5" source="{T.P}"/>
      <subreport name="S" x="0" y="5" width="50" height="4" links="K=A">
        <report version="1" title="S"><data table="U"/><detail height="4">
          <field x="0" y="0" width="50" height="4" source="{U.B}"/></detail></report>
      </subreport></detail></report>
    <columns><column name="A" kind="text"/><column name="P" kind="other"/></columns>
    <rows>
        <r><v t="s">uno</v><v t="x">)" +
                        base64 + R"(</v></r>
        <r><v t="s">dos</v><v t="x">)" +
                        base64 + R"(</v></r>
    </rows>
    <subreports><subreport name="S"><columns><column name="B" kind="text"/></columns>
        <group><key><v t="s">uno</v></key><r><v t="s">b1</v></r><r><v t="s">b2</v></r></group>
    </subreport></subreports>
</zentrik-report-document>
)");
    const ReportDocument doc = loadDocument(path);
    EXPECT_EQ(doc.formula(QStringLiteral("Empresa")), QStringLiteral("ACME"));
    EXPECT_EQ(doc.data.rows, (Rows{{vb::Variant(QStringLiteral("uno")), vb::Variant(picture)},
                                   {vb::Variant(QStringLiteral("dos")), vb::Variant(picture)}}));
    ASSERT_EQ(doc.subreports.size(), 1);
    const SubreportData::Group* group =
        doc.subreports[0].groupOf({vb::Variant(QStringLiteral("UNO "))});
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->count, 2);
    EXPECT_EQ(doc.subreports[0].data.rows.value(group->first + 1, 0),
              vb::Variant(QStringLiteral("b2")));
}

TEST(SavedDocumentTest, FilesThatAreNotSavedReportsRaise) {
    QTemporaryDir dir;
    const QString form = dir.filePath(QStringLiteral("AUX_ERR.rpt"));
    QFile::copy(zxtest::sourcePath(QStringLiteral("platform/reportengine/forms/AUX_ERR.rpt")),
                form);
    EXPECT_EQ(errorNumberOf([&] { loadDocument(form); }), err::DocumentInvalid);

    const QString future = dir.filePath(QStringLiteral("future.RPT"));
    writeFile(future, "<zentrik-report-document version=\"3\"/>");
    EXPECT_EQ(errorNumberOf([&] { loadDocument(future); }), err::DocumentInvalid);

    const QString cut = dir.filePath(QStringLiteral("cut.RPT"));
    writeFile(cut, "<zentrik-report-document version=\"1\"><rows><r><v t=\"f\">x</v>");
    EXPECT_EQ(errorNumberOf([&] { loadDocument(cut); }), err::DocumentInvalid);

    EXPECT_EQ(errorNumberOf([&] { loadDocument(dir.filePath(QStringLiteral("none.RPT"))); }),
              err::FormNotFound);
}

TEST(SavedDocumentTest, AFailedWriteLeavesNoFile) {
    QTemporaryDir dir;
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1"><data table="T"/></report>)");
    const QString path = dir.filePath(QStringLiteral("missing-folder/x.RPT"));
    EXPECT_EQ(errorNumberOf([&] { saveDocument(doc, path); }), err::WriteFailed);
    EXPECT_EQ(errorNumberOf([&] { writeReportFile(doc, dir.filePath("x.rtf"), 15); }),
              err::NotSupported);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{});
}

// The printer destination goes through whichever output the program installs; without one it
// is told, as a printer fault, before anything is printed.
TEST(PrinterOutputTest, PrintingGoesToTheInstalledOutputOrRaisesWithoutOne) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Errores"><data table="T"/></report>)");
    PagedReport report(doc);
    const Services before = services();
    services().print = {};
    const std::optional<vb::VbError> none =
        zxtest::raised([&] { printReport(report, QStringLiteral("ZX-UNA")); });
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->Number, err::Printer);
    EXPECT_EQ(none->Source, errorSource());
    EXPECT_EQ(none->Description, QStringLiteral("No hay una salida de impresora instalada"));

    QStringList printed;
    services().print = [&](PagedReport& r, const QString& printer) {
        printed << r.title() + QLatin1Char('@') + printer;
    };
    printReport(report, QStringLiteral("ZX-UNA"));
    printReport(report, {});
    EXPECT_EQ(printed,
              (QStringList{QStringLiteral("Errores@ZX-UNA"), QStringLiteral("Errores@")}));
    EXPECT_TRUE(std::exchange(services(), before).print);
}

}  // namespace
