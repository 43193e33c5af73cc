// The preview's "Imprimir" through the print dialog as the operator fills it in: the pages, the
// copies and the order it asks for, on a PDF printer and on a queue of a private print spooler.
#include "platform/reportengine/errors.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "platform/ui/qtoperator.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/print_spooler.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace reportengine;

// Six pages of 26 rows, each page's footer "Hoja n de 6".
ReportDocument sixPages() {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Hojas">
        <page width="100" height="100" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <pageHeader height="5"><text x="0" y="0" width="90" height="5">Listado</text></pageHeader>
        <detail height="3"><field x="0" y="0" width="90" height="3" source="{T.N}"/></detail>
        <pageFooter height="5">
          <pagenumber x="0" y="0" width="90" height="5">Hoja {page} de {pages}</pagenumber>
        </pageFooter>
        </report>)");
    doc.data.columns = {{QStringLiteral("N"), ColumnKind::Number}};
    for (int i = 1; i <= 150; ++i) doc.data.rows.append({vb::Variant(i)});
    return doc;
}

// The page numbers of a printed PDF's pages, in their order.
QList<int> printedPages(const QString& pdf) {
    static const QRegularExpression number(QStringLiteral(R"(Hoja (\d+) de 6)"));
    QList<int> pages;
    const QStringList texts = zxtest::pdfText(pdf).split(u'\f');
    for (const QString& text : texts) {
        if (text.trimmed().isEmpty()) continue;
        const auto m = number.match(text);
        pages.append(m.hasMatch() ? m.captured(1).toInt() : 0);
    }
    return pages;
}

// What the operator chooses in the print dialog.
struct Choice {
    const char* name;
    enum Range { All, FromTo, Current } range = All;
    int from = 0, to = 0;
    int copies = 1;
    bool collate = true;
    bool reverse = false;
    QList<int> pages;           // the pages printed, in order, once
    QList<int> renderedCopies;  // the pages a PDF printer gets, copies made by the program
};

const Choice kChoices[] = {
    {"every page", Choice::All, 0, 0, 1, true, false, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}},
    {"pages 2 to 4", Choice::FromTo, 2, 4, 1, true, false, {2, 3, 4}, {2, 3, 4}},
    {"the current page", Choice::Current, 0, 0, 1, true, false, {3}, {3}},
    {"the last pages", Choice::FromTo, 5, 6, 1, true, false, {5, 6}, {5, 6}},
    {"two copies collated", Choice::FromTo, 2, 3, 2, true, false, {2, 3}, {2, 3, 2, 3}},
    {"two copies uncollated", Choice::FromTo, 2, 3, 2, false, false, {2, 3}, {2, 2, 3, 3}},
    {"reversed", Choice::FromTo, 2, 4, 1, true, true, {4, 3, 2}, {4, 3, 2}},
    {"reversed, two copies",
     Choice::All,
     0,
     0,
     2,
     true,
     true,
     {6, 5, 4, 3, 2, 1},
     {6, 5, 4, 3, 2, 1, 6, 5, 4, 3, 2, 1}},
};

template <typename T>
T* child(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void typeInto(QSpinBox* box, int value) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString::number(value));
}

void setChecked(QAbstractButton* box, bool checked) {
    if (box->isChecked() != checked) QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->isChecked(), checked) << box->objectName().toStdString();
}

// Fills the print dialog in with clicks and keys: the printer (the PDF file when `pdf` is not
// empty), then the choice on its copies tab, and prints.
void fillIn(QPrintDialog& dialog, const QString& pdf, const Choice& c) {
    if (!pdf.isEmpty()) {
        auto* printers = child<QComboBox>(dialog, "printers");
        printers->setCurrentIndex(printers->count() - 1);  // the PDF file, listed last
        auto* file = child<QLineEdit>(dialog, "filename");
        file->setFocus();
        file->selectAll();
        QTest::keyClicks(file, pdf);
    }
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* b : buttons->buttons()) {
        if (buttons->buttonRole(b) == QDialogButtonBox::ResetRole)
            QTest::mouseClick(b, Qt::LeftButton);  // "Options >>"
    }
    auto* tabs = child<QTabWidget>(dialog, "tabs");
    const int copiesTab = tabs->indexOf(child<QWidget>(dialog, "copiesTab"));
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                      tabs->tabBar()->tabRect(copiesTab).center());
    ASSERT_EQ(tabs->currentIndex(), copiesTab);
    switch (c.range) {
        case Choice::All:
            QTest::mouseClick(child<QRadioButton>(dialog, "printAll"), Qt::LeftButton);
            break;
        case Choice::FromTo:
            QTest::mouseClick(child<QRadioButton>(dialog, "printRange"), Qt::LeftButton);
            typeInto(child<QSpinBox>(dialog, "to"), c.to);
            typeInto(child<QSpinBox>(dialog, "from"), c.from);
            typeInto(child<QSpinBox>(dialog, "to"), c.to);
            break;
        case Choice::Current: {
            auto* current = child<QRadioButton>(dialog, "printCurrentPage");
            ASSERT_TRUE(current->isVisible()) << "no current page to choose";
            QTest::mouseClick(current, Qt::LeftButton);
            break;
        }
    }
    typeInto(child<QSpinBox>(dialog, "copies"), c.copies);
    if (c.copies > 1) setChecked(child<QCheckBox>(dialog, "collate"), c.collate);
    setChecked(child<QCheckBox>(dialog, "reverse"), c.reverse);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// The preview shown on its third page; "Imprimir" clicked, the dialog filled in as `fill` does.
void printFromThePreview(const std::function<void(QPrintDialog&)>& fill) {
    ui::QtOperator qt;
    ui::Operator* previous = ui::setOperator(&qt);
    PreviewWindow window(sixPages());
    window.show();
    QApplication::setActiveWindow(&window);
    while (!window.pageCountKnown()) QApplication::processEvents();
    window.showPage(2);
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
        filled = true;
        if (dialog->isVisible()) dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(window, "printButton"), Qt::LeftButton);
    EXPECT_TRUE(filled);
    window.close();
    ui::setOperator(previous);
}

TEST(PreviewPrintTest, APdfPrinterGetsThePagesCopiesAndOrderChosen) {
    for (const Choice& c : kChoices) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("hojas.pdf"));
        printFromThePreview([&](QPrintDialog& d) { fillIn(d, pdf, c); });
        EXPECT_EQ(printedPages(pdf), c.renderedCopies);
    }
}

// The spooler makes the copies, as a printer does: the job asks for them and holds each page
// chosen once, in the order chosen.
TEST(PreviewPrintTest, TheSpoolersQueueGetsThePagesAndOrderChosenAndTheCopies) {
    zxtest::PrintSpooler spooler;
    int jobs = 0;
    for (const Choice& c : kChoices) {
        SCOPED_TRACE(c.name);
        printFromThePreview([&](QPrintDialog& d) {
            EXPECT_EQ(child<QComboBox>(d, "printers")->currentText(),
                      zxtest::PrintSpooler::defaultQueue());
            fillIn(d, QString(), c);
        });
        ++jobs;
        const QList<zxtest::PrintedJob> done =
            spooler.waitForJobs(zxtest::PrintSpooler::defaultQueue(), jobs);
        ASSERT_EQ(done.size(), jobs) << spooler.log().toStdString();
        EXPECT_EQ(printedPages(done.last().pdf), c.pages);
        EXPECT_EQ(done.last().copies, c.copies);
        if (c.copies > 1) {
            const QStringList options = done.last().options.split(u' ');
            EXPECT_EQ(options.contains(QStringLiteral("Collate")), c.collate)
                << done.last().options.toStdString();
        }
    }
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
}

// A range wholly past the report's end prints nothing and says why.
TEST(PreviewPrintTest, ARangePastTheEndIsToldAndPrintsNothing) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("hojas.pdf"));
    PagedReport report(sixPages());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(pdf);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(8, 9);
    try {
        printReport(report, printer);
        ADD_FAILURE() << "printed";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, err::Printer);
        EXPECT_TRUE(e.Description.contains(QStringLiteral("6 páginas")))
            << e.Description.toStdString();
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
