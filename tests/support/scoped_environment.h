// An environment variable set or removed for one scope, then put back as it
// was (removed again if it was not set).
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace testing_support {

class ScopedEnvironment {
public:
    // `value` empty: the variable is removed for the scope.
    ScopedEnvironment(const char* name, std::optional<QByteArray> value) : name_(name)
    {
        if (qEnvironmentVariableIsSet(name))
            old_ = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

}  // namespace testing_support
