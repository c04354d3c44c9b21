// The four small settings of the tab, moved between a 16-bit variable and the registry access
// component as decimal text. Each returns the component's status cut to 16 bits (non-zero:
// success); a stored text that is no 16-bit whole number, or a failing component, throws.
#pragma once

#include "controls/int16.h"

#include <QString>
#include <cstdint>

class IRegistryComponent;

inline constexpr std::int32_t HKEY_CURRENT_USER = static_cast<std::int32_t>(0x80000001u);

namespace modRegistry {
// The component every operation uses; bound once at start-up (tests bind a fake).
void setComponent(IRegistryComponent *component);
} // namespace modRegistry

Int16 regRead(std::int32_t &root, QString &key, QString &valueName, Int16 &value);
Int16 regWrite(std::int32_t &root, QString &key, QString &valueName, Int16 &value);
