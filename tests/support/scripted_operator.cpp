#include "tests/support/scripted_operator.h"

#include "platform/vb/steps.h"

#include <QCoreApplication>
#include <QDialog>

#include <gtest/gtest.h>

namespace zxtest {

namespace {
const char* kindName(Prompt::Kind k) {
    switch (k) {
    case Prompt::MessageBox: return "message box";
    case Prompt::InputBox: return "input box";
    case Prompt::OpenFile: return "open-file chooser";
    case Prompt::OpenFiles: return "chooser of several files";
    case Prompt::SaveFile: return "save-file chooser";
    case Prompt::DatePicker: return "date picker";
    case Prompt::Form: return "form";
    }
    return "?";
}
}  // namespace

ScriptedOperator::ScriptedOperator() { previous_ = ui::setOperator(this); }

ScriptedOperator::~ScriptedOperator() {
    ui::setOperator(previous_);
    if (strictAtEnd_ && !queue_.empty())
        ADD_FAILURE() << queue_.size() << " scripted answer(s) left over; the next was for a "
                      << kindName(queue_.front().kind);
}

ScriptedOperator& ScriptedOperator::answer(int code) {
    queue_.push_back({Prompt::MessageBox, code});
    return *this;
}
ScriptedOperator& ScriptedOperator::input(std::optional<QString> text) {
    queue_.push_back({Prompt::InputBox, std::move(text)});
    return *this;
}
ScriptedOperator& ScriptedOperator::openFile(std::optional<QString> path) {
    queue_.push_back({Prompt::OpenFile, std::move(path)});
    return *this;
}
ScriptedOperator& ScriptedOperator::openFiles(std::optional<QStringList> paths) {
    queue_.push_back({Prompt::OpenFiles, std::move(paths)});
    return *this;
}
ScriptedOperator& ScriptedOperator::saveFile(std::optional<QString> path) {
    queue_.push_back({Prompt::SaveFile, std::move(path)});
    return *this;
}
ScriptedOperator& ScriptedOperator::date(std::optional<QDate> d) {
    queue_.push_back({Prompt::DatePicker, d});
    return *this;
}
ScriptedOperator& ScriptedOperator::form(std::function<int(QDialog&)> play) {
    queue_.push_back({Prompt::Form, std::move(play)});
    return *this;
}

QList<Prompt> ScriptedOperator::messages() const {
    QList<Prompt> out;
    for (const auto& p : prompts_)
        if (p.kind == Prompt::MessageBox) out.append(p);
    return out;
}

bool ScriptedOperator::take(Prompt::Kind kind, const Prompt& prompt, Answer* out) {
    prompts_.append(prompt);
    if (queue_.empty()) {
        ADD_FAILURE() << "Unexpected " << kindName(kind) << ": title \""
                      << prompt.title.toStdString() << "\", text \"" << prompt.text.toStdString()
                      << "\"";
        return false;
    }
    if (queue_.front().kind != kind) {
        ADD_FAILURE() << "Expected a " << kindName(queue_.front().kind) << " but got a "
                      << kindName(kind) << ": title \"" << prompt.title.toStdString()
                      << "\", text \"" << prompt.text.toStdString() << "\"";
        return false;
    }
    *out = std::move(queue_.front().answer);
    queue_.pop_front();
    return true;
}

int ScriptedOperator::msgBox(const QString& text, int style, const QString& title) {
    Prompt p{Prompt::MessageBox, text, title, style & 7, style & 0x70, style};
    Answer a;
    if (!take(Prompt::MessageBox, p, &a)) return vb::vbCancel;
    return std::get<int>(a);
}

std::optional<QString> ScriptedOperator::inputBox(const QString& prompt, const QString& title,
                                                  const QString&) {
    Answer a;
    if (!take(Prompt::InputBox, {Prompt::InputBox, prompt, title}, &a)) return std::nullopt;
    return std::get<std::optional<QString>>(a);
}

std::optional<QString> ScriptedOperator::openFile(const QString& title, const QString& filter,
                                                  const QString&) {
    Answer a;
    if (!take(Prompt::OpenFile, {Prompt::OpenFile, filter, title}, &a)) return std::nullopt;
    return std::get<std::optional<QString>>(a);
}

std::optional<QStringList> ScriptedOperator::openFiles(const QString& title,
                                                       const QString& filter, const QString&) {
    Answer a;
    if (!take(Prompt::OpenFiles, {Prompt::OpenFiles, filter, title}, &a)) return std::nullopt;
    return std::get<std::optional<QStringList>>(a);
}

std::optional<QString> ScriptedOperator::saveFile(const QString& title, const QString& filter,
                                                  const QString&) {
    Answer a;
    if (!take(Prompt::SaveFile, {Prompt::SaveFile, filter, title}, &a)) return std::nullopt;
    return std::get<std::optional<QString>>(a);
}

std::optional<QDate> ScriptedOperator::pickDate(const QDate& initial, const QString& title) {
    Answer a;
    if (!take(Prompt::DatePicker, {Prompt::DatePicker, initial.toString(Qt::ISODate), title}, &a))
        return std::nullopt;
    return std::get<std::optional<QDate>>(a);
}

int ScriptedOperator::showModal(QDialog& form) {
    Answer a;
    const QObject& object = form;
    if (!take(Prompt::Form, {Prompt::Form, object.objectName(), {}}, &a)) return 0;
    return std::get<std::function<int(QDialog&)>>(a)(form);
}

void ScriptedOperator::doEvents() { QCoreApplication::processEvents(); }

void ScriptedOperator::setBusy(bool busy) { busy_ += busy ? 1 : -1; }

}  // namespace zxtest
