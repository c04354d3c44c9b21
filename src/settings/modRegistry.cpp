#include "settings/modRegistry.h"

#include "controls/platform.h"

#include <stdexcept>

namespace {
IRegistryComponent *g_component = nullptr;

IRegistryComponent &component()
{
    if (!g_component)
        throw std::runtime_error("no registry access component");
    return *g_component;
}

using Method = std::int32_t (IRegistryComponent::*)(std::int32_t &, QString &, QString &,
                                                    QString &);

Int16 transfer(Method method, std::int32_t &root, QString &key, QString &valueName, Int16 &value)
{
    QString data = QString::number(value);
    const std::int32_t result = (component().*method)(root, key, valueName, data);
    const auto status = static_cast<Int16>(static_cast<std::uint16_t>(result & 0xFFFF));
    value = textToInt16(data); // throws before anything is stored: the caller keeps its value
    return status;
}
} // namespace

void modRegistry::setComponent(IRegistryComponent *c)
{
    g_component = c;
}

Int16 regRead(std::int32_t &root, QString &key, QString &valueName, Int16 &value)
{
    return transfer(&IRegistryComponent::read, root, key, valueName, value);
}

Int16 regWrite(std::int32_t &root, QString &key, QString &valueName, Int16 &value)
{
    return transfer(&IRegistryComponent::write, root, key, valueName, value);
}
