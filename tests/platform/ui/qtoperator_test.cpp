#include "platform/ui/qtoperator.h"
#include "platform/vb/steps.h"
#include "tests/support/child_test.h"
#include "tests/support/fixtures.h"
#include "tests/support/model_check.h"
#include "tests/support/print_spooler.h"
#include "tests/support/screen_fit.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

// Presses `button` on the message box that opens next, and remembers what it showed.
struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

void pressWhenShown(QMessageBox::StandardButton button, BoxSeen* seen) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (auto* b : box->buttons()) seen->buttons.append(b->text());
        seen->buttons.sort();
        box->button(button)->click();
    });
}

TEST(QtOperatorTest, MessageBoxShowsTheCodesButtonsIconAndExactTexts) {
    ui::QtOperator op;
    BoxSeen seen;
    pressWhenShown(QMessageBox::Retry, &seen);
    const QString text = QStringLiteral("Ha ocurrido el Siguiente Error (5) x\r\nlínea");
    EXPECT_EQ(
        op.msgBox(text, vb::vbAbortRetryIgnore + vb::vbCritical, " Aviso al operador!!! - 2 "),
        vb::vbRetry);
    EXPECT_EQ(seen.title, QStringLiteral(" Aviso al operador!!! - 2 "));
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, (QStringList{"Anular", "Omitir", "Reintentar"}));

    BoxSeen yesNo;
    pressWhenShown(QMessageBox::No, &yesNo);
    EXPECT_EQ(op.msgBox("¿Seguro?", vb::vbYesNo + vb::vbQuestion, "Atención"), vb::vbNo);
    EXPECT_EQ(yesNo.icon, QMessageBox::Question);
    EXPECT_EQ(yesNo.buttons, (QStringList{"No", "Sí"}));
}

// What the calendar of the next date picker shows: its month and, in order, the day names
// over its columns. Then the operator pages a month on and back, the days keeping Qt's rules
// for item models meanwhile, and closes it with `key`.
struct CalendarSeen {
    QString month;
    QStringList days;
};

void readCalendarWhenShown(CalendarSeen* seen, Qt::Key key) {
    QTimer::singleShot(0, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* calendar = dialog->findChild<QCalendarWidget*>();
        ASSERT_NE(calendar, nullptr);
        seen->month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton")->text();
        auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
        QAbstractItemModel* days = view->model();
        for (int column = 0; column < days->columnCount(); ++column) {
            const QString day = days->data(days->index(0, column)).toString();
            if (!day.isEmpty()) seen->days.append(day);
        }
        {
            const auto tester = zxtest::checkModel(days);
            const QDate shown = calendar->selectedDate();
            QTest::keyClick(view, Qt::Key_PageDown);
            EXPECT_EQ(calendar->monthShown(), shown.addMonths(1).month());
            QTest::keyClick(view, Qt::Key_PageUp);
            EXPECT_EQ(calendar->selectedDate(), shown);
        }
        QTest::keyClick(view, key);
    });
}

// The calendar speaks Spanish whatever the machine's language; the week starts on the day the
// regional settings say.
TEST(QtOperatorTest, TheCalendarNamesMonthsAndDaysInSpanish) {
    struct Case {
        const char* locale;
        QStringList days;
    };
    const Case cases[] = {
        {"en_US", {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"}},
        {"de_DE", {"lun", "mar", "mié", "jue", "vie", "sáb", "dom"}},
    };
    ui::QtOperator op;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        zxtest::ScopedLocale regional{QLocale(QString::fromLatin1(c.locale))};
        CalendarSeen seen;
        readCalendarWhenShown(&seen, Qt::Key_Return);
        EXPECT_EQ(op.pickDate(QDate(2026, 12, 9)), QDate(2026, 12, 9));
        EXPECT_EQ(seen.month, QStringLiteral("diciembre"));
        EXPECT_EQ(seen.days, c.days);
    }
}

// The day cell of `calendar` that shows `day` in its last week row.
QModelIndex lastWeekCell(const QTableView& days, int day) {
    const QAbstractItemModel* model = days.model();
    for (int column = 0; column < model->columnCount(); ++column) {
        const QModelIndex cell = model->index(model->rowCount() - 1, column);
        if (model->data(cell).toInt() == day) return cell;
    }
    return {};
}

// The picker dressed in each of the program's skins, as its window passes them on, on small
// screens at 100% and 200%: all six week rows show whole, and 31 August 2026, in the sixth,
// is chosen with the mouse. It opens on the date it is given.
TEST(QtOperatorTest, TheDatePickerShowsAllSixWeeksInEverySkin) {
    if (zxtest::ranOnSmallScreens()) return;
    const char* skins[] = {"",
                           "Vista.cjstyles",
                           "WinXP.Luna.cjstyles",
                           "WinXP.Royale.cjstyles",
                           "Office2007.cjstyles",
                           "iTunes/Normalitunes.ini"};
    ui::QtOperator op;
    for (const char* skin : skins) {
        SCOPED_TRACE(skin);
        QWidget form;
        if (*skin)
            form.setStyleSheet(QString::fromUtf8(zxtest::readFile(
                zxtest::sourcePath(QStringLiteral("core/Styles/") + QString::fromLatin1(skin)))));
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(zxtest::fitsItsScreen(*dialog));
            auto* calendar = dialog->findChild<QCalendarWidget*>();
            auto* days = calendar->findChild<QTableView*>("qt_calendar_calendarview");
            EXPECT_EQ(calendar->monthShown(), 8);
            EXPECT_EQ(calendar->yearShown(), 2026);
            const QRegion seen = days->viewport()->visibleRegion();
            for (int week = 1; week < days->model()->rowCount(); ++week) {
                for (int column = 0; column < days->model()->columnCount(); ++column) {
                    const QRect cell = days->visualRect(days->model()->index(week, column));
                    EXPECT_TRUE(seen.intersected(cell) == QRegion(cell))
                        << "week " << week << " day " << column << ": "
                        << seen.intersected(cell).boundingRect().height() << " of "
                        << cell.height() << " pixels seen";
                }
            }
            const QModelIndex last = lastWeekCell(*days, 31);
            ASSERT_TRUE(last.isValid());
            QTest::mouseClick(days->viewport(), Qt::LeftButton, {},
                              days->visualRect(last).center());
            QTest::keyClick(days, Qt::Key_Return);
        });
        EXPECT_EQ(op.pickDate(QDate(2026, 8, 10), QStringLiteral("Fecha Desde")),
                  QDate(2026, 8, 31));
    }
}

// Qt's own words in Spanish whatever the machine's language, each language in a process of its
// own, as the program starts: an editing menu, standard buttons, the file chooser.
TEST(QtOperatorTest, QtsOwnWordsAreSpanishWhateverTheMachinesLanguage) {
    if (zxtest::ranInLanguages({"en_US.UTF-8", "de_DE.UTF-8", "C"})) return;
    QTranslator texts;
    ASSERT_TRUE(ui::installSpanishQtTexts(*QCoreApplication::instance(), texts));

    QLineEdit box;
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList menuTexts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) menuTexts.append(action->text().section(u'\t', 0, 0));
    }
    EXPECT_EQ(menuTexts, (QStringList{"&Deshacer", "&Rehacer", "Cor&tar", "&Copiar", "&Pegar",
                                      "Borrar", "Seleccionar todo"}));

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Save | QDialogButtonBox::Close);
    QStringList buttonTexts;
    for (const QAbstractButton* b : buttons.buttons()) buttonTexts.append(b->text());
    buttonTexts.sort();
    EXPECT_EQ(buttonTexts, (QStringList{"Aceptar", "Cancelar", "Cerrar", "Guardar"}));

    // The operator's file chooser is Qt's own, in Spanish.
    QString lookIn;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        EXPECT_TRUE(chooser->testOption(QFileDialog::DontUseNativeDialog));
        lookIn = chooser->findChild<QLabel*>("lookInLabel")->text();
        chooser->reject();
    });
    ui::QtOperator op;
    EXPECT_EQ(op.openFile("Abrir", "Todos |*.*"), std::nullopt);
    EXPECT_EQ(lookIn, QStringLiteral("Ver en:"));
}

// The operator's boxes on small screens, each in a process of its own: a message box with a
// short and with a long text (an error that quotes a whole statement), the date picker, the
// input box. Each fits the screen and its buttons are within reach.
TEST(QtOperatorTest, TheBoxesFitSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    QString statement;
    for (int i = 0; i < 120; ++i)
        statement +=
            QStringLiteral("INSERT INTO AUX_ERR (Usuario, Error) VALUES ('ANA', %1)\n").arg(i);
    QStringList checked;
    auto checkWhenShown = [&](const char* name) {
        QTimer::singleShot(0, [&checked, name] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr) << name;
            SCOPED_TRACE(name);
            EXPECT_TRUE(zxtest::fitsItsScreen(*box));
            const QList<QAbstractButton*> buttons =
                box->findChildren<QAbstractButton*>(QString(), Qt::FindChildrenRecursively);
            QAbstractButton* last = nullptr;
            for (QAbstractButton* b : buttons) {
                if (!qobject_cast<QPushButton*>(b) || !b->isVisible()) continue;
                EXPECT_TRUE(zxtest::withinReach(b)) << b->text().toStdString();
                last = b;
            }
            ASSERT_NE(last, nullptr);
            // A message's first and last lines can be brought into sight, within the box.
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                EXPECT_LE(label->width(), box->width());
                for (int y : {0, label->height() - 1}) {
                    for (QWidget* p = label->parentWidget(); p; p = p->parentWidget()) {
                        if (auto* area = qobject_cast<QScrollArea*>(p))
                            area->ensureVisible(0, y, 0, 1);
                    }
                    EXPECT_TRUE(label->visibleRegion().contains(QPoint(label->width() / 2, y)))
                        << y;
                }
            }
            checked.append(QString::fromLatin1(name));
            QTest::keyClick(box, Qt::Key_Escape);
        });
    };
    ui::QtOperator op;
    checkWhenShown("short message");
    op.msgBox(QStringLiteral("Ha ocurrido el Siguiente Error (5) x"),
              vb::vbAbortRetryIgnore + vb::vbCritical);
    checkWhenShown("long message");
    op.msgBox(QStringLiteral("Ha ocurrido el Siguiente Error (-2147217900) ") + statement,
              vb::vbAbortRetryIgnore + vb::vbCritical);
    checkWhenShown("date picker");
    op.pickDate(QDate(2026, 12, 9), QStringLiteral("Fecha Desde"));
    checkWhenShown("input box");
    op.inputBox(QStringLiteral("Ingrese la cantidad"), QStringLiteral("Cantidad"));
    EXPECT_EQ(checked.size(), 4);
}

// Whether the operator can reach every button `window` shows.
void expectButtonsWithinReach(QWidget& window) {
    int shown = 0;
    for (QPushButton* b : window.findChildren<QPushButton*>()) {
        if (!b->isVisible()) continue;
        EXPECT_TRUE(zxtest::withinReach(b)) << b->text().toStdString();
        ++shown;
    }
    EXPECT_GT(shown, 0);
}

// The choosers the operator service shows, in Spanish and with the print spooler's printers,
// on small screens, each in a process of its own: the file choosers and the print chooser fit
// the screen with their buttons within reach, and the print chooser fits again once the
// operator opens its options with the mouse.
TEST(QtOperatorTest, TheChoosersFitSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    QTranslator texts;
    ASSERT_TRUE(ui::installSpanishQtTexts(*QCoreApplication::instance(), texts));
    zxtest::PrintSpooler spooler;
    QTemporaryDir dir;
    ASSERT_TRUE(zxtest::writeFile(dir.filePath("informe.pdf"), "%PDF"));
    QStringList checked;
    auto checkWhenShown = [&](const char* name, std::function<void(QDialog&)> more = {}) {
        QTimer::singleShot(0, [&checked, name, more] {
            auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr) << name;
            SCOPED_TRACE(name);
            EXPECT_TRUE(zxtest::fitsItsScreen(*chooser));
            expectButtonsWithinReach(*chooser);
            if (more) more(*chooser);
            checked.append(QString::fromLatin1(name));
            QTest::keyClick(chooser, Qt::Key_Escape);
        });
    };
    ui::QtOperator op;
    checkWhenShown("open file");
    EXPECT_EQ(op.openFile("Abrir", "Documentos |*.pdf|Todos |*.*", dir.path()), std::nullopt);
    checkWhenShown("open files");
    EXPECT_EQ(op.openFiles("Adjuntar", "Todos |*.*", dir.path()), std::nullopt);
    checkWhenShown("save file");
    EXPECT_EQ(op.saveFile("Guardar", "PDF |*.pdf", dir.filePath("reporte.pdf")), std::nullopt);
    checkWhenShown("print", [](QDialog& chooser) {
        auto* buttons = chooser.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        QAbstractButton* options = nullptr;
        for (QAbstractButton* b : buttons->buttons()) {
            if (buttons->buttonRole(b) == QDialogButtonBox::ResetRole) options = b;
        }
        ASSERT_NE(options, nullptr);
        QTest::mouseClick(options, Qt::LeftButton);
        // As the operator sees it once the layouts the click asked for have run.
        QCoreApplication::processEvents();
        ASSERT_TRUE(chooser.findChild<QWidget*>("copiesTab")->isVisibleTo(&chooser));
        EXPECT_TRUE(zxtest::fitsItsScreen(chooser));
        expectButtonsWithinReach(chooser);
        // The copies and the pages, on their tab, chosen with the mouse.
        auto* tabs = chooser.findChild<QTabWidget*>("tabs");
        ASSERT_NE(tabs, nullptr);
        const int copiesTab = tabs->indexOf(chooser.findChild<QWidget*>("copiesTab"));
        const QRect tab = tabs->tabBar()->tabRect(copiesTab);
        ASSERT_TRUE(zxtest::withinReach(tabs->tabBar()));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tab.center());
        ASSERT_EQ(tabs->currentIndex(), copiesTab);
        for (const char* name : {"printers", "copies", "printRange"}) {
            auto* control = chooser.findChild<QWidget*>(name);
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(zxtest::withinReach(control)) << name;
        }
    });
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog print(&printer);
    print.setOption(QAbstractPrintDialog::PrintCurrentPage);
    print.setMinMax(1, 40);
    EXPECT_EQ(op.showModal(print), int(QDialog::Rejected));
    EXPECT_EQ(checked, (QStringList{"open file", "open files", "save file", "print"}));
}

// Whether `box`, frame included, lies centred over `owner`'s window, frame included, as far as
// the screen's free area lets it: within its own frame's height of there, or within the 40
// pixels of title bar Qt takes a frame to have where it cannot measure one.
::testing::AssertionResult overItsOwner(const QWidget& box, const QWidget& owner) {
    if (!zxtest::settled(box)) return ::testing::AssertionFailure() << "it never settles";
    const QRect area = box.screen()->availableGeometry();
    const QRect outer = zxtest::outerGeometry(box);
    QRect expected(QPoint(), outer.size());
    expected.moveCenter(zxtest::outerGeometry(owner).center());
    expected.moveRight(std::min(expected.right(), area.right()));
    expected.moveBottom(std::min(expected.bottom(), area.bottom()));
    expected.moveLeft(std::max(expected.left(), area.left()));
    expected.moveTop(std::max(expected.top(), area.top()));
    const int slack = std::max(outer.height() - box.height(), 40);
    const QPoint off = outer.topLeft() - expected.topLeft();
    if (std::abs(off.x()) <= slack && std::abs(off.y()) <= slack)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
           << outer.height() << ", not at " << expected.x() << "," << expected.y()
           << " over its owner";
}

// Every box the operator service shows opens over the window that asked, as a plain message
// box of Qt's with the same owner does, under a window manager on each screen, each in a
// process of its own: the window stands away from the screen's corner and its centre.
TEST(QtOperatorTest, TheBoxesOpenOverTheWindowThatAsked) {
    if (zxtest::ranUnderWindowManager(zxtest::kManagedScreens)) return;
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Formulario"));
    owner.resize(area.width() / 2, area.height() / 2);
    owner.move(area.left() + area.width() * 2 / 5, area.top() + area.height() / 3);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(zxtest::becomes([&] { return owner.isActiveWindow(); }));
    ASSERT_TRUE(zxtest::settled(owner));
    QStringList checked;
    // Each box is asked for from the window, active again once the last box has gone.
    auto checkWhenShown = [&](const char* name) {
        owner.activateWindow();
        EXPECT_TRUE(zxtest::becomes([&] { return owner.isActiveWindow(); })) << name;
        QTimer::singleShot(0, [&checked, &owner, name] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr) << name;
            EXPECT_TRUE(overItsOwner(*box, owner)) << name;
            checked.append(QString::fromLatin1(name));
            if (auto* dialog = qobject_cast<QDialog*>(box)) dialog->reject();
        });
    };
    checkWhenShown("plain message box");
    QMessageBox plain(QMessageBox::Information, QStringLiteral("Aviso"), QStringLiteral("Listo"),
                      QMessageBox::Ok, &owner);
    plain.exec();
    ui::QtOperator op;
    checkWhenShown("message box");
    op.msgBox(QStringLiteral("Ha ocurrido el Siguiente Error (5) x"), vb::vbOKCancel);
    checkWhenShown("input box");
    op.inputBox(QStringLiteral("Ingrese la cantidad"), QStringLiteral("Cantidad"));
    checkWhenShown("date picker");
    op.pickDate(QDate(2026, 12, 9), QStringLiteral("Fecha Desde"));
    checkWhenShown("file chooser");
    const QTemporaryDir folder;
    op.openFile(QStringLiteral("Abrir"), QStringLiteral("Todos |*.*"), folder.path());
    checkWhenShown("modal form");
    QDialog form(&owner);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("Impresora"), &form));
    layout->addWidget(
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form));
    op.showModal(form);
    EXPECT_EQ(checked, (QStringList{"plain message box", "message box", "input box", "date picker",
                                    "file chooser", "modal form"}));
}

TEST(QtOperatorTest, CommonDialogFiltersBecomeQtNameFilters) {
    EXPECT_EQ(ui::qtNameFilter("Base de Datos de Microsoft Access |*.MDB"),
              QStringLiteral("Base de Datos de Microsoft Access (*.MDB)"));
    EXPECT_EQ(ui::qtNameFilter("Imagenes|*.jpg;*.bmp|Todos|*.*"),
              QStringLiteral("Imagenes (*.jpg *.bmp);;Todos (*.*)"));
}

}  // namespace
