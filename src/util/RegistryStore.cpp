#include "util/RegistryStore.h"

#include <cstring>

#include "util/AppStrings.h"
#include "util/Text.h"

namespace tw {

RegValue RegValue::Text(const std::string& utf8, std::uint32_t type) {
  return RegValue{type, Utf8ToUtf16LeBytes(utf8)};
}

RegValue RegValue::Number(std::uint32_t value) {
  return RegValue{RegType::Dword,
                  {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

ValueKind KindOfType(std::uint32_t type) {
  switch (type) {
    case RegType::String: return ValueKind::String;
    case RegType::ExpandString: return ValueKind::ExpandString;
    case RegType::Dword: return ValueKind::Integer;
    case RegType::Binary: return ValueKind::Binary;
    default: return ValueKind::Unknown;
  }
}

std::string InvalidDataTypeText(const std::string& name) {
  return FormatText(LoadStr(StrId::InvalidDataType), name);
}

std::string FailedToSetDataText(const std::string& name) {
  return FormatText(LoadStr(StrId::FailedToSetData), name);
}

bool RegistryStore::HasValue(const std::string& name) { return QueryValue(name).has_value(); }

ValueKind RegistryStore::ValueKind(const std::string& name) {
  const auto value = QueryValue(name);
  return value ? KindOfType(value->type) : tw::ValueKind::Unknown;
}

std::int64_t RegistryStore::ValueSize(const std::string& name) {
  const auto value = QueryValue(name);
  return value ? static_cast<std::int64_t>(value->data.size()) : -1;
}

std::string RegistryStore::ReadText(const std::string& name) {
  return TextOfStringValue(name, QueryValue(name));
}

std::string TextOfStringValue(const std::string& name, const std::optional<RegValue>& value) {
  if (!value || value->data.empty()) return {};
  const tw::ValueKind kind = KindOfType(value->type);
  if (kind != tw::ValueKind::String && kind != tw::ValueKind::ExpandString) {
    throw RegistryError(InvalidDataTypeText(name));
  }
  return Utf16LeBytesToUtf8(value->data.data(), value->data.size());
}

std::int32_t RegistryStore::ReadNumber(const std::string& name) {
  const auto value = QueryValue(name);
  if (!value || value->type != RegType::Dword || value->data.size() < 4) {
    throw RegistryError(InvalidDataTypeText(name));
  }
  return NumberOf(*value);
}

std::int32_t NumberOf(const RegValue& value) {
  const auto& d = value.data;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
                                   (static_cast<std::uint32_t>(d[2]) << 16) |
                                   (static_cast<std::uint32_t>(d[3]) << 24));
}

std::size_t RegistryStore::ReadBytes(const std::string& name, std::uint8_t* buffer,
                                     std::size_t capacity) {
  const auto value = QueryValue(name);
  if (!value) return 0;
  const tw::ValueKind kind = KindOfType(value->type);
  if ((kind != tw::ValueKind::Binary && kind != tw::ValueKind::Unknown) ||
      value->data.size() > capacity) {
    throw RegistryError(InvalidDataTypeText(name));
  }
  if (!value->data.empty()) std::memcpy(buffer, value->data.data(), value->data.size());
  return value->data.size();
}

void RegistryStore::WriteText(const std::string& name, const std::string& text) {
  WriteValue(name, RegValue::Text(text));
}

}  // namespace tw
