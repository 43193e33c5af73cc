#include "platform/ui/qtoperator.h"

#include "platform/ui/screenfit.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QHash>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTableView>
#include <QTranslator>
#include <QVBoxLayout>

namespace ui {

namespace {

QString titleOr(const QString& title) {
    return title.isEmpty() ? vb::App().Title : title;
}

// Qt's own file chooser, which speaks the program's language (a desktop's chooser speaks the
// machine's), set up as QFileDialog's static choosers set theirs, and kept within the screen:
// the files chosen, nothing when cancelled. `start` is a folder, or a file to select in its own.
std::optional<QStringList> chooseFiles(const QString& title, const QString& filter,
                                       const QString& start, QFileDialog::FileMode mode,
                                       QFileDialog::AcceptMode accept) {
    QFileDialog chooser(QApplication::activeWindow(), title, start, qtNameFilter(filter));
    chooser.setFileMode(mode);
    chooser.setOptions(QFileDialog::DontUseNativeDialog);
    const QFileInfo place(start);
    chooser.selectFile(start.isEmpty() || place.isDir() ? QString() : place.fileName());
    chooser.setSupportedSchemes({QStringLiteral("file")});
    chooser.setAcceptMode(accept);
    keepWithinScreenScrolling(chooser);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = chooser.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return files;
}

struct ButtonSet {
    QList<QMessageBox::StandardButton> buttons;
};

ButtonSet buttonsFor(int code) {
    switch (code & 7) {
        case vb::vbOKCancel:
            return {{QMessageBox::Ok, QMessageBox::Cancel}};
        case vb::vbAbortRetryIgnore:
            return {{QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}};
        case vb::vbYesNoCancel:
            return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}};
        case vb::vbYesNo:
            return {{QMessageBox::Yes, QMessageBox::No}};
        case vb::vbRetryCancel:
            return {{QMessageBox::Retry, QMessageBox::Cancel}};
        default:
            return {{QMessageBox::Ok}};
    }
}

int answerFor(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Ok:
            return vb::vbOK;
        case QMessageBox::Cancel:
            return vb::vbCancel;
        case QMessageBox::Abort:
            return vb::vbAbort;
        case QMessageBox::Retry:
            return vb::vbRetry;
        case QMessageBox::Ignore:
            return vb::vbIgnore;
        case QMessageBox::Yes:
            return vb::vbYes;
        case QMessageBox::No:
            return vb::vbNo;
        default:
            return vb::vbCancel;
    }
}

// The operator reads Spanish: the buttons say what a Spanish Windows box says.
QString buttonText(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Ok:
            return QStringLiteral("Aceptar");
        case QMessageBox::Cancel:
            return QStringLiteral("Cancelar");
        case QMessageBox::Abort:
            return QStringLiteral("Anular");
        case QMessageBox::Retry:
            return QStringLiteral("Reintentar");
        case QMessageBox::Ignore:
            return QStringLiteral("Omitir");
        case QMessageBox::Yes:
            return QStringLiteral("Sí");
        case QMessageBox::No:
            return QStringLiteral("No");
        default:
            return {};
    }
}

QMessageBox::Icon iconFor(int code) {
    switch (code & 0x70) {
        case vb::vbCritical:
            return QMessageBox::Critical;
        case vb::vbQuestion:
            return QMessageBox::Question;
        case vb::vbExclamation:
            return QMessageBox::Warning;
        case vb::vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// Holds a message too long for the screen at the size given, scrolling it.
class MessageArea : public QScrollArea {
public:
    explicit MessageArea(QSize size) : size_(size) {}
    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }

private:
    QSize size_;
};

// A message taller than the screen leaves room for the box's buttons: its text scrolls in an
// area as wide as the box's text may be and as tall as the screen allows.
void scrollLongText(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* buttons = box.findChild<QDialogButtonBox*>();
    const QScreen* screen = box.screen();
    if (!label || !grid || !buttons || !screen) return;
    const QRect area = screen->availableGeometry();
    // The width a message box wraps its text at, and room for a title bar and the buttons.
    const int width = std::min(area.width() / 2, 500);
    const QMargins margins = grid->contentsMargins();
    const int room = area.height() - 2 * box.fontMetrics().height() - margins.top() -
                     margins.bottom() - 2 * std::max(0, grid->verticalSpacing()) -
                     buttons->sizeHint().height();
    label->setWordWrap(true);
    const int bar = box.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &box);
    const int height = label->heightForWidth(width - bar);
    if (height <= room) return;
    auto* scroll = new MessageArea(QSize(width, std::max(room, box.fontMetrics().height())));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete grid->replaceWidget(label, scroll);
    label->resize(width - bar, height);
    scroll->setWidget(label);
}

// The calendar's own size hint leaves out what a style sheet adds (the day table's border, the
// padding of the month buttons), which cut off its sixth week: once styled, it asks for room
// for every week and every day.
void showAllWeeks(QCalendarWidget& calendar) {
    auto* days = calendar.findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    if (!days || !calendar.layout()) return;
    calendar.ensurePolished();
    // The day table stretches its rows and columns to its size, but never below these.
    const QAbstractItemModel* model = days->model();
    const int row =
        std::max(days->verticalHeader()->minimumSectionSize(), days->fontMetrics().height());
    const int column = days->horizontalHeader()->minimumSectionSize();
    const int frame = 2 * days->frameWidth();
    const QSize need(model->columnCount() * column + frame, model->rowCount() * row + frame);
    days->setMinimumSize(need);
    calendar.setMinimumSize(calendar.layout()->minimumSize().expandedTo(calendar.sizeHint()));
}

// The words of the print chooser Qt's Spanish translations leave in English.
class PrintChooserTexts : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        static const QHash<QPair<QByteArray, QByteArray>, QString> texts = {
            {{"QPrintSettingsOutput", "Double Sided Printing"},
             QStringLiteral("Impresión a doble cara")},
            {{"QPrintSettingsOutput", "Off"}, QStringLiteral("Desactivada")},
            {{"QPrintSettingsOutput", "Long side binding"},
             QStringLiteral("Encuadernación por el lado largo")},
            {{"QPrintSettingsOutput", "Short side binding"},
             QStringLiteral("Encuadernación por el lado corto")},
            {{"QPrintSettingsOutput", "Pages"}, QStringLiteral("Páginas")},
            {{"QPrintPropertiesWidget", "Advanced"}, QStringLiteral("Avanzadas")},
            {{"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them."},
             QStringLiteral("Hay opciones en conflicto. Corríjalas.")},
        };
        return texts.value({QByteArray(context), QByteArray(sourceText)});
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

bool installSpanishQtTexts(QCoreApplication& app, QTranslator& translator) {
    if (!translator.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    static PrintChooserTexts printChooser;
    return app.installTranslator(&translator) && app.installTranslator(&printChooser);
}

QString qtNameFilter(const QString& commonDialogFilter) {
    const QStringList parts = commonDialogFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(u';', u' ');
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns));
    }
    return filters.join(QStringLiteral(";;"));
}

int QtOperator::msgBox(const QString& text, int style, const QString& title) {
    QMessageBox box(iconFor(style), titleOr(title), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const ButtonSet set = buttonsFor(style);
    for (auto b : set.buttons) box.addButton(b)->setText(buttonText(b));
    const int defaultIndex = (style & vb::vbDefaultButton3)   ? 2
                             : (style & vb::vbDefaultButton2) ? 1
                                                              : 0;
    if (defaultIndex < set.buttons.size()) box.setDefaultButton(set.buttons[defaultIndex]);
    scrollLongText(box);
    keepWithinScreen(box);
    box.exec();
    auto clicked = box.standardButton(box.clickedButton());
    if (clicked == QMessageBox::NoButton)
        clicked = set.buttons.size() == 1 ? QMessageBox::Ok : QMessageBox::Cancel;
    return answerFor(clicked);
}

std::optional<QString> QtOperator::inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("Aceptar"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    keepWithinScreen(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtOperator::openFile(const QString& title, const QString& filter,
                                            const QString& initialDir) {
    const auto files =
        chooseFiles(title, filter, initialDir, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
    if (!files) return std::nullopt;
    return files->first();
}

std::optional<QStringList> QtOperator::openFiles(const QString& title, const QString& filter,
                                                 const QString& initialDir) {
    return chooseFiles(title, filter, initialDir, QFileDialog::ExistingFiles,
                       QFileDialog::AcceptOpen);
}

std::optional<QString> QtOperator::saveFile(const QString& title, const QString& filter,
                                            const QString& initialPath) {
    const auto files =
        chooseFiles(title, filter, initialPath, QFileDialog::AnyFile, QFileDialog::AcceptSave);
    if (!files) return std::nullopt;
    return files->first();
}

std::optional<QDate> QtOperator::pickDate(const QDate& initial, const QString& title) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(titleOr(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* calendar = new QCalendarWidget(&dialog);
    // Month and day names in the operator's language; the first day of the week as the
    // regional settings have it.
    calendar->setLocale(QLocale(QLocale::Spanish, vb::locale().territory()));
    calendar->setFirstDayOfWeek(vb::locale().firstDayOfWeek());
    calendar->setSelectedDate(initial.isValid() ? initial : QDate::currentDate());
    layout->addWidget(calendar);
    showAllWeeks(*calendar);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    keepWithinScreen(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return calendar->selectedDate();
}

int QtOperator::showModal(QDialog& form) {
    // A form that does not keep itself within the screen, Qt's print chooser among them, is
    // kept so here, its controls scrolling where the screen has too little room for them.
    keepWithinScreenScrolling(form);
    return form.exec();
}

void QtOperator::doEvents() {
    QApplication::processEvents();
}

void QtOperator::repaint() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtOperator::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace ui
