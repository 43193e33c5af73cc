#pragma once

#include "platform/ui/operator.h"

class QCoreApplication;
class QTranslator;

namespace ui {

// The operator service on Qt Widgets: QMessageBox with the button set and icon of the code,
// QInputDialog, QFileDialog, a calendar dialog.
class QtOperator : public Operator {
public:
    int msgBox(const QString& text, int style = 0, const QString& title = {}) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title = {},
                                    const QString& defaultText = {}) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& initialDir = {}) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& initialPath = {}) override;
    std::optional<QStringList> openFiles(const QString& title, const QString& filter,
                                         const QString& initialDir = {}) override;
    std::optional<QDate> pickDate(const QDate& initial, const QString& title = {}) override;
    int showModal(QDialog& form) override;
    void doEvents() override;
    void setBusy(bool busy) override;
    void repaint() override;
};

// Qt's own words (editing menus, standard buttons, the file and print choosers) in Spanish,
// whatever the machine's language: loads Qt's Spanish translation into `translator`, which
// must live as long as `app`, and installs it there. False when the machine lacks it.
bool installSpanishQtTexts(QCoreApplication& app, QTranslator& translator);

// "Name |*.ext|Other |*.x;*.y" (the common dialog's filter) as a Qt name filter list.
QString qtNameFilter(const QString& commonDialogFilter);

}  // namespace ui
