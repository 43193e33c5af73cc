#include "platform/reportengine/previewwindow.h"
#include "platform/ui/qtoperator.h"
#include "platform/vb/steps.h"
#include "tests/support/child_test.h"
#include "tests/support/fixtures.h"
#include "tests/support/screen_fit.h"
#include "tests/support/scripted_operator.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPrintDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

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
        // The pages are counted between the window's events.
        while (!window.pageCountKnown()) QApplication::processEvents();
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
        child<QComboBox>(window, "zoom")->setCurrentIndex(2);  // 100%
        EXPECT_EQ(window.zoom(), 1.0);
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

// A landscape A4 page, wider than the window at 100%.
ReportDocument landscapePages(int rows) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Apaisado">
        <page size="A4" orientation="landscape" left="10" top="10" right="10" bottom="10"/>
        <data table="T"/>
        <detail height="10"><field x="0" y="0" width="277" height="10" source="{T.N}"/></detail>
        </report>)");
    doc.data.columns = {{QStringLiteral("N"), ColumnKind::Number}};
    for (int i = 1; i <= rows; ++i) doc.data.rows.append({vb::Variant(i)});
    return doc;
}

// The whole width of the page is in view when the window opens: nothing to scroll sideways.
TEST(PreviewWindowTest, OpensAtFitToWidthAndOffersWholePage) {
    PreviewWindow window(landscapePages(40));
    window.show();
    QApplication::processEvents();
    auto* area = child<QScrollArea>(window, "pageArea");
    auto* view = child<QLabel>(window, "pageView");
    auto* zoom = child<QComboBox>(window, "zoom");
    EXPECT_EQ(zoom->currentText(), QStringLiteral("Ancho de página"));
    EXPECT_LE(view->pixmap().width(), area->viewport()->width());
    EXPECT_GE(view->pixmap().width(), area->viewport()->width() - 40);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);

    // Still the whole width after the window grows.
    window.resize(1400, 900);
    QApplication::processEvents();
    EXPECT_LE(view->pixmap().width(), area->viewport()->width());
    EXPECT_GE(view->pixmap().width(), area->viewport()->width() - 40);

    zoom->setCurrentIndex(zoom->findText(QStringLiteral("Página completa")));
    EXPECT_LE(view->pixmap().height(), area->viewport()->height());
    EXPECT_LE(view->pixmap().width(), area->viewport()->width());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(zoom->findText(QStringLiteral("100%")), 0);
    window.close();
}

// Paging as a keyboard user does, and a page typed into the page field.
TEST(PreviewWindowTest, KeysAndTheTypedPageNumberTurnThePages) {
    PreviewWindow window(landscapePages(200));
    window.show();
    QApplication::setActiveWindow(&window);
    // The keys are checked on pages all counted: a slow machine counts over many events, and
    // the keys while counting have tests of their own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.pageCountKnown(); }, 60000));
    ASSERT_GT(window.pageCount(), 10);
    auto* area = child<QScrollArea>(window, "pageArea");
    area->setFocus();
    QTest::keyClick(area, Qt::Key_PageDown);
    QTest::keyClick(area->viewport(), Qt::Key_PageDown);
    EXPECT_EQ(window.currentPage(), 2);
    QTest::keyClick(area, Qt::Key_PageUp);
    EXPECT_EQ(window.currentPage(), 1);
    QTest::keyClick(area, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), window.pageCount() - 1);
    QTest::keyClick(area, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), 0);
    QTest::keyClick(area, Qt::Key_End);
    EXPECT_EQ(window.currentPage(), window.pageCount() - 1);
    QTest::keyClick(area, Qt::Key_Home);
    EXPECT_EQ(window.currentPage(), 0);

    // Keys on the zoom box page too, instead of changing the zoom.
    auto* zoom = child<QComboBox>(window, "zoom");
    const QString zoomText = zoom->currentText();
    QTest::keyClick(zoom, Qt::Key_PageDown);
    EXPECT_EQ(window.currentPage(), 1);
    EXPECT_EQ(zoom->currentText(), zoomText);

    auto* field = child<QLineEdit>(window, "pageNumber");
    EXPECT_EQ(field->text(), QStringLiteral("2"));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "7");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window.currentPage(), 6);
    EXPECT_EQ(child<QLabel>(window, "pageLabel")->text(),
              QStringLiteral("Página 7 de %1").arg(window.pageCount()));
    // A number past the end goes to the last page; PgDn from the field pages on.
    field->selectAll();
    QTest::keyClicks(field, "999");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window.currentPage(), window.pageCount() - 1);
    QTest::keyClick(field, Qt::Key_PageUp);
    EXPECT_EQ(window.currentPage(), window.pageCount() - 2);
    window.close();
}

// A long report: page 1 is laid out at once and shown, the count grows between the window's
// events and "{pages}" reads "…" until it is known, then the page shows it.
TEST(PreviewWindowTest, PageOneShowsBeforeTheRestIsLaidOut) {
    ReportDocument doc = threePages();
    for (int i = 71; i <= 2600; ++i) doc.data.rows.append({vb::Variant(i)});
    const int pages = PagedReport(doc).pageCount();
    ASSERT_GT(pages, 50);
    const auto numberShown = [](const PreviewWindow& w) {
        for (const PageItem& item : w.shownPage().items)
            if (item.text.contains(u'/')) return item.text;
        return QString();
    };

    zxtest::ScriptedOperator op;
    PreviewWindow window(doc);
    auto* label = child<QLabel>(window, "pageLabel");
    EXPECT_FALSE(window.pageCountKnown());
    EXPECT_EQ(window.pageCount(), 2);  // page 1, and where page 2 begins
    EXPECT_EQ(label->text(), QStringLiteral("Página 1 de 2+"));
    EXPECT_EQ(numberShown(window), QStringLiteral("1/…"));
    EXPECT_FALSE(child<QLabel>(window, "pageView")->pixmap().isNull());

    // The last page asked for before it is counted comes under the hourglass.
    child<QPushButton>(window, "lastPage")->click();
    EXPECT_EQ(window.currentPage(), 0);
    EXPECT_EQ(op.busyDepth(), 1);
    int seen = window.pageCount();
    while (!window.pageCountKnown()) {
        QApplication::processEvents();
        EXPECT_GE(window.pageCount(), seen);
        seen = window.pageCount();
    }
    EXPECT_EQ(op.busyDepth(), 0);
    EXPECT_EQ(window.pageCount(), pages);
    EXPECT_EQ(window.currentPage(), pages - 1);
    EXPECT_EQ(label->text(), QStringLiteral("Página %1 de %1").arg(pages));
    EXPECT_EQ(numberShown(window), QStringLiteral("%1/%1").arg(pages));
    child<QPushButton>(window, "firstPage")->click();
    EXPECT_EQ(numberShown(window), QStringLiteral("1/%1").arg(pages));

    // A report of one page has its count at once.
    ReportDocument one = threePages();
    one.data.rows = {{vb::Variant(1)}};
    PreviewWindow small(one);
    EXPECT_TRUE(small.pageCountKnown());
    EXPECT_EQ(numberShown(small), QStringLiteral("1/1"));
    EXPECT_EQ(child<QLabel>(small, "pageLabel")->text(), QStringLiteral("Página 1 de 1"));
}

// The last page asked for while the pages are being counted, then an export that counts them
// all: the window goes to the page asked for and the hourglass goes.
TEST(PreviewWindowTest, ThePageAskedForWhileCountingShowsAfterAnExport) {
    ReportDocument doc = threePages();
    for (int i = 71; i <= 2600; ++i) doc.data.rows.append({vb::Variant(i)});
    const int pages = PagedReport(doc).pageCount();
    QTemporaryDir dir;
    zxtest::ScriptedOperator op;
    op.saveFile(dir.filePath(QStringLiteral("largo.pdf")));
    PreviewWindow window(doc);
    ASSERT_FALSE(window.pageCountKnown());
    child<QPushButton>(window, "lastPage")->click();
    EXPECT_EQ(op.busyDepth(), 1);
    child<QPushButton>(window, "exportButton")->click();
    QApplication::processEvents();
    EXPECT_TRUE(window.pageCountKnown());
    EXPECT_EQ(window.currentPage(), pages - 1);
    EXPECT_EQ(child<QLabel>(window, "pageLabel")->text(),
              QStringLiteral("Página %1 de %1").arg(pages));
    EXPECT_EQ(op.busyDepth(), 0);
}

// The hourglass is gone once the preview has closed, whether it was waiting for a page still
// being counted or not.
TEST(PreviewWindowTest, TheHourglassIsGoneOnceThePreviewHasClosed) {
    ReportDocument doc = threePages();
    for (int i = 71; i <= 2600; ++i) doc.data.rows.append({vb::Variant(i)});
    const struct {
        const char* name;
        const char* pressed;  // before the window is closed
        int busyWhileOpen;
    } cases[] = {
        {"waiting for the last page", "lastPage", 1},
        {"on a page already counted", "nextPage", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::ScriptedOperator op;
        bool played = false;
        op.form([&](QDialog& d) {
            EXPECT_FALSE(dynamic_cast<PreviewWindow&>(d).pageCountKnown());
            for (const QString& name : QString::fromLatin1(c.pressed).split(u'|'))
                child<QPushButton>(d, name.toLatin1().constData())->click();
            EXPECT_EQ(op.busyDepth(), c.busyWhileOpen);
            child<QPushButton>(d, "closeButton")->click();
            played = true;
            return 0;
        });
        showPreviewWindow(doc);
        EXPECT_TRUE(played);
        EXPECT_EQ(op.busyDepth(), 0);
    }
}

// On small screens the window fits the screen, its controls are within reach, and the page
// has room to be seen.
TEST(PreviewWindowTest, TheWindowFitsSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    PreviewWindow window(threePages());
    bool checked = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(zxtest::fitsItsScreen(window));
        EXPECT_TRUE(zxtest::scrollsOnlyWhenCramped(window));
        for (const char* name : {"firstPage", "previousPage", "nextPage", "lastPage", "pageNumber",
                                 "zoom", "printButton", "exportButton", "closeButton"}) {
            EXPECT_TRUE(zxtest::withinReach(child<QWidget>(window, name))) << name;
        }
        const QWidget* page = child<QScrollArea>(window, "pageArea")->viewport();
        EXPECT_GE(page->visibleRegion().boundingRect().height(), window.height() / 3);
        checked = true;
        child<QPushButton>(window, "closeButton")->click();
    });
    ui::QtOperator qt;
    qt.showModal(window);
    EXPECT_TRUE(checked);
}

// The paging keys as the window gets them, from the control that has the focus when it opens
// and from every control Tab reaches; Home and End without Ctrl stay with the typed page.
TEST(PreviewWindowTest, PagingKeysWorkFromWhateverHasTheFocus) {
    PreviewWindow window(landscapePages(200));
    ui::QtOperator qt;
    ui::Operator* previous = ui::setOperator(&qt);
    QStringList reached;
    QTimer::singleShot(0, [&] {
        QWindow* handle = window.windowHandle();
        QApplication::setActiveWindow(&window);
        while (!window.pageCountKnown()) QApplication::processEvents();
        const int last = window.pageCount() - 1;
        QTest::keyClick(handle, Qt::Key_PageDown);
        EXPECT_EQ(window.currentPage(), 1) << "from the first focus";
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int page;  // from page 5
            bool inText;
        } keys[] = {{Qt::Key_PageDown, {}, 6, true},
                    {Qt::Key_PageUp, {}, 4, true},
                    {Qt::Key_End, Qt::ControlModifier, last, true},
                    {Qt::Key_Home, Qt::ControlModifier, 0, true},
                    {Qt::Key_End, {}, last, false},
                    {Qt::Key_Home, {}, 0, false}};
        QWidget* first = nullptr;
        for (int stop = 0; stop < 20; ++stop) {
            window.showPage(5);
            QWidget* focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            if (focused == first) break;
            if (!first) first = focused;
            const QString name = focused->objectName();
            reached << name;
            for (const auto& k : keys) {
                if (!k.inText && qobject_cast<QLineEdit*>(focused)) continue;
                SCOPED_TRACE(QStringLiteral("%1, key %2").arg(name).arg(k.key).toStdString());
                window.showPage(5);
                focused->setFocus();
                QTest::keyClick(handle, k.key, k.modifiers);
                EXPECT_EQ(window.currentPage(), k.page);
            }
            window.showPage(5);
            focused->setFocus();
            QTest::keyClick(handle, Qt::Key_Tab);
        }
        window.accept();
    });
    qt.showModal(window);
    ui::setOperator(previous);
    for (const char* name : {"firstPage", "previousPage", "nextPage", "lastPage", "pageNumber",
                             "zoom", "printButton", "exportButton", "closeButton"})
        EXPECT_TRUE(reached.contains(QString::fromLatin1(name))) << name;
}

// A report whose count takes a while: each row a long text of its own, measured and broken
// into lines afresh.
ReportDocument longReport(int rows) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Largo">
        <page width="100" height="100" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <detail height="3">
          <field x="0" y="0" width="90" height="3" wrap="true" source="{T.S}"/>
        </detail>
        <pageFooter height="5">
          <pagenumber x="0" y="0" width="90" height="5">{page}/{pages}</pagenumber>
        </pageFooter>
        </report>)");
    doc.data.columns = {{QStringLiteral("S"), ColumnKind::Text}};
    for (int i = 1; i <= rows; ++i) {
        doc.data.rows.append({vb::Variant(
            QStringLiteral("Fila %1: no se pudo grabar el comprobante %1 de la caja %2, "
                           "reintente la operación o avise al administrador %1")
                .arg(i)
                .arg(i % 9))});
    }
    return doc;
}

// The page typed into "Ir a:" while the pages are counted stays as typed, and Enter goes
// there once counting reaches it.
TEST(PreviewWindowTest, ThePageTypedWhileCountingIsKeptAndShownOnceCounted) {
    PreviewWindow window(longReport(30000));
    window.show();
    QApplication::setActiveWindow(&window);
    auto* field = child<QLineEdit>(window, "pageNumber");
    QTest::mouseDClick(field, Qt::LeftButton);
    QTest::keyClicks(field, "1500");
    for (int step = 0; step < 5 && !window.pageCountKnown(); ++step) {
        const int found = window.pageCount();
        while (window.pageCount() == found && !window.pageCountKnown())
            QApplication::processEvents();
        EXPECT_EQ(field->text(), QStringLiteral("1500"));
    }
    ASSERT_FALSE(window.pageCountKnown()) << "counted too soon to type while counting";
    QTest::keyClick(field, Qt::Key_Return);
    while (window.currentPage() != 1499 && !window.pageCountKnown()) QApplication::processEvents();
    EXPECT_EQ(window.currentPage(), 1499);
    EXPECT_EQ(field->text(), QStringLiteral("1500"));
    window.close();
}

// A count asked for while another goes on (here from a timer that fires while the windows
// repaint during a long count) gives the whole count, as the outer one does.
TEST(PreviewWindowTest, ANestedCountGivesTheTrueCount) {
    const ReportDocument doc = longReport(30000);
    const int pages = PagedReport(doc).pageCount();
    ui::QtOperator qt;
    ui::Operator* previous = ui::setOperator(&qt);
    PagedReport report(doc);
    int nested = -1;
    QTimer::singleShot(0, [&] { nested = report.pageCount(); });
    EXPECT_EQ(report.pageCount(), pages);
    QApplication::processEvents();
    EXPECT_EQ(nested, pages);
    ui::setOperator(previous);
}

// The first preview of a session, on each screen the operator may have: it fits the page to
// the width that shows, every control and every part of the page is within the mouse's reach
// on the screen, without scrolling the window itself, at fit to width and at 200%.
TEST(PreviewWindowTest, ThePageAndEveryControlAreOnSmallScreens) {
    constexpr zxtest::SmallScreen screens[] = {
        {{1366, 768}, 1.0}, {{1366, 768}, 2.0}, {{800, 600}, 1.0}, {{800, 600}, 2.0}};
    if (zxtest::ranOnScreens(screens)) return;
    PreviewWindow window(landscapePages(40));
    bool checked = false;
    QTimer::singleShot(0, [&] {
        const QRect screen = window.screen()->availableGeometry();
        const auto onScreen = [&](QWidget* w) {
            const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
            return w->isVisible() && w->visibleRegion().boundingRect() == w->rect() &&
                   screen.contains(global);
        };
        EXPECT_TRUE(zxtest::fitsItsScreen(window));
        for (const char* name : {"firstPage", "previousPage", "nextPage", "lastPage", "pageNumber",
                                 "zoom", "printButton", "exportButton", "closeButton"}) {
            EXPECT_TRUE(onScreen(child<QWidget>(window, name))) << name;
        }
        auto* area = child<QScrollArea>(window, "pageArea");
        auto* view = child<QLabel>(window, "pageView");
        EXPECT_TRUE(onScreen(area->viewport()));
        EXPECT_LE(view->pixmap().width(), area->viewport()->width());
        EXPECT_GE(view->pixmap().width(), area->viewport()->width() - 40);
        EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);

        auto* zoom = child<QComboBox>(window, "zoom");
        zoom->setCurrentIndex(zoom->findText(QStringLiteral("200%")));
        QApplication::processEvents();
        EXPECT_GT(view->pixmap().width(), area->viewport()->width());
        for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
            EXPECT_TRUE(onScreen(bar)) << bar->orientation();
            bar->setValue(bar->maximum());
        }
        // Scrolled to the end, the page's bottom right corner shows.
        const QPoint corner = view->mapTo(area->viewport(), view->rect().bottomRight());
        EXPECT_TRUE(area->viewport()->rect().contains(corner));
        checked = true;
        child<QPushButton>(window, "closeButton")->click();
    });
    ui::QtOperator qt;
    qt.showModal(window);
    EXPECT_TRUE(checked);
}

// The print chooser the preview opens speaks Spanish whatever the machine's language, in a
// process started under each: its double-sided printing and its page ranges included.
TEST(PreviewWindowTest, ThePrintChooserIsSpanishWhateverTheMachinesLanguage) {
    if (zxtest::ranInLanguages({"C", "en_US.UTF-8"})) return;
    QTranslator texts;
    ASSERT_TRUE(ui::installSpanishQtTexts(*QCoreApplication::instance(), texts));
    PreviewWindow window(threePages());
    ui::QtOperator qt;
    ui::Operator* previous = ui::setOperator(&qt);
    QStringList seen;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            for (const QGroupBox* g : chooser->findChildren<QGroupBox*>()) seen << g->title();
            for (const QAbstractButton* b : chooser->findChildren<QAbstractButton*>())
                seen << b->text();
            chooser->reject();
        });
        child<QPushButton>(window, "printButton")->click();
        window.accept();
    });
    window.exec();
    ui::setOperator(previous);
    for (const char* text :
         {"Impresión a doble cara", "Desactivada", "Encuadernación por el lado largo",
          "Encuadernación por el lado corto", "Páginas", "Imprimir todo"}) {
        EXPECT_TRUE(seen.contains(QString::fromUtf8(text))) << text;
    }
}

TEST(PreviewWindowTest, SymbolButtonsCarrySpanishTips) {
    PreviewWindow window(threePages());
    for (const auto& [name, tip] : {std::pair{"firstPage", "Primera página (Ctrl+Inicio)"},
                                    std::pair{"previousPage", "Página anterior (RePág)"},
                                    std::pair{"nextPage", "Página siguiente (AvPág)"},
                                    std::pair{"lastPage", "Última página (Ctrl+Fin)"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(child<QPushButton>(window, name)->toolTip(), QString::fromUtf8(tip));
    }
    EXPECT_FALSE(child<QLineEdit>(window, "pageNumber")->toolTip().isEmpty());
    EXPECT_FALSE(child<QComboBox>(window, "zoom")->toolTip().isEmpty());
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
