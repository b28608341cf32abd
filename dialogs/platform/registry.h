#pragma once
// Machine-wide registry reads. Off Windows the "registry" is a system-scope settings file
// whose sections are the key paths and whose entries are the values:
//
//   [SOFTWARE\Microsoft\Shared Tools\MSINFO]
//   PATH=/usr/bin/hardinfo
//
// Section names compare without regard to case, as registry keys do; value names too.
#include <QString>
#include <map>
#include <optional>
#include <utility>

namespace vantrel {

class Registry {
 public:
  virtual ~Registry() = default;
  // The value `name` under the local-machine key `key` (backslash-separated), if present.
  virtual std::optional<QString> ReadMachineValue(const QString& key, const QString& name) = 0;
};

inline constexpr const char* kSystemRegistryFile = "/etc/xdg/Vantrel/registry.ini";

class FileRegistry : public Registry {
 public:
  explicit FileRegistry(QString path = QString::fromUtf8(kSystemRegistryFile))
      : path_(std::move(path)) {}
  std::optional<QString> ReadMachineValue(const QString& key, const QString& name) override;

 private:
  QString path_;
};

// Test double: a map of (key, name) -> value, compared case-insensitively.
class FakeRegistry : public Registry {
 public:
  void Set(const QString& key, const QString& name, const QString& value) {
    values[{key.toLower(), name.toLower()}] = value;
  }
  std::optional<QString> ReadMachineValue(const QString& key, const QString& name) override {
    auto it = values.find({key.toLower(), name.toLower()});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::pair<QString, QString>, QString> values;
};

}  // namespace vantrel
