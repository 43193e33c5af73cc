#pragma once

#include "platform/ui/operator.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <variant>

namespace zxtest {

// One prompt the code showed to the operator.
struct Prompt {
    enum Kind { MessageBox, InputBox, OpenFile, OpenFiles, SaveFile, DatePicker, Form };
    Kind kind = MessageBox;
    QString text;   // message, prompt, or the form's object name
    QString title;
    int buttons = 0;  // button code (style & 7)
    int icon = 0;     // icon code (style & 0x70)
    int style = 0;    // the whole style code
};

// The operator of the tests: answers from a queue the test gives, records every prompt, and
// fails the test on a prompt it has no answer for (or of another kind), and on answers left
// over when it goes out of scope. Installs itself while it lives.
class ScriptedOperator : public ui::Operator {
public:
    ScriptedOperator();
    ~ScriptedOperator() override;

    // Queue answers, in the order the prompts will come.
    ScriptedOperator& answer(int code);                        // next message box
    ScriptedOperator& input(std::optional<QString> text);      // next input box (nullopt = cancel)
    ScriptedOperator& openFile(std::optional<QString> path);   // next open-file chooser
    // Next chooser of several files (nullopt = cancel).
    ScriptedOperator& openFiles(std::optional<QStringList> paths);
    ScriptedOperator& saveFile(std::optional<QString> path);   // next save-file chooser
    ScriptedOperator& date(std::optional<QDate> date);         // next date picker
    // Next modal form: the function plays the operator on the live form and returns its
    // result code (it may click buttons, fill boxes, or call accept()).
    ScriptedOperator& form(std::function<int(QDialog&)> play);

    const QList<Prompt>& prompts() const { return prompts_; }
    // Only the message boxes.
    QList<Prompt> messages() const;
    bool exhausted() const { return queue_.empty(); }
    // When false, answers left over at the end are not a failure.
    void setStrictAtEnd(bool strict) { strictAtEnd_ = strict; }
    int busyDepth() const { return busy_; }

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

private:
    using Answer = std::variant<int, std::optional<QString>, std::optional<QStringList>,
                                std::optional<QDate>, std::function<int(QDialog&)>>;
    struct Queued {
        Prompt::Kind kind;
        Answer answer;
    };
    bool take(Prompt::Kind kind, const Prompt& prompt, Answer* out);

    std::deque<Queued> queue_;
    QList<Prompt> prompts_;
    ui::Operator* previous_ = nullptr;
    bool strictAtEnd_ = true;
    int busy_ = 0;
};

}  // namespace zxtest
