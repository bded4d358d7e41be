#include "serial/EnumComPorts.h"

#include "platform/NameOrder.h"
#include "platform/PortList.h"
#include "serial/ComErrors.h"

namespace serial {

void EnumComPorts(ComStrings& Ports)
{
    QStringList names;
    try {
        names = platform::portList().ports();
    } catch (const platform::PortListError& e) {
        throw EComPortExt("EnumComPorts", CError_RegError, e.errorCode());
    }
    platform::sortNames(names);
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        texts.push_back(name.toStdString());
    Ports.Assign(texts);
}

} // namespace serial
