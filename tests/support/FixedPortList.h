#pragma once
// A fixed list of serial ports in place of the machine's while it lives, so
// port selectors list exactly what a test gives (pseudo-terminal paths, made
// up names) and a test can make reading the list fail.
#include <QStringList>

#include "platform/PortList.h"
#include "support/ScopedOverride.h"

namespace testenv {

class FixedPortList final : public platform::PortList {
public:
    explicit FixedPortList(QStringList names = {}) : names_(std::move(names)) {}  // not copied: the override is not

    void setNames(QStringList names) { names_ = std::move(names); }
    // From now on reading the list fails with `error` (0: it works again).
    void failWith(int error) { error_ = error; }

    QStringList ports() override
    {
        if (error_ != 0)
            throw platform::PortListError("the port list cannot be read", error_);
        return names_;
    }

private:
    QStringList names_;
    int error_ = 0;
    ScopedOverride inUse_{platform::setPortList, this};
};

} // namespace testenv
