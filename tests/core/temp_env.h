#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <optional>

namespace coretest {

// Sets (or, with nothing, unsets) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) previous_ = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            qputenv(name_, *previous_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

// The shared procedures' temporary folder pointed at a folder of the test ("temp" set, so
// "tmp" is the folder used).
class TempFolder {
public:
    TempFolder() : temp_("temp", QByteArray("x")), tmp_("tmp", dir_.path().toLocal8Bit()) {}
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    ScopedEnv temp_;
    ScopedEnv tmp_;
};

}  // namespace coretest
