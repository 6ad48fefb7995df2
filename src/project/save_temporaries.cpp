#include "project/save_temporaries.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace ktv {
namespace {

constexpr std::string_view kMarker = ".ktv-";
constexpr std::string_view kSuffix = ".tmp";
constexpr size_t kHexDigits = 16;  // of the nonce and of the tag
constexpr qsizetype kKeyBytes = 32;

QByteArray RandomBytes(qsizetype n) {
  QByteArray bytes(n, '\0');
  QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
  return bytes;
}

bool IsLowerHex(std::string_view s) {
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The key as the file holds it: hexadecimal digits on one line.
std::optional<QByteArray> ReadKey(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray text = f.read(4 * kKeyBytes).trimmed();
  if (text.size() != 2 * kKeyBytes || !IsLowerHex(text.toStdString())) return std::nullopt;
  return QByteArray::fromHex(text);
}

}  // namespace

SaveTemporaries SaveTemporaries::Private() { return SaveTemporaries(RandomBytes(kKeyBytes)); }

SaveTemporaries SaveTemporaries::OfDataFolder(const std::string& data_folder) {
  const QString path =
      QString::fromStdString((std::filesystem::path(data_folder) / kTemporaryKeyFileName).string());
  if (auto key = ReadKey(path)) return SaveTemporaries(*key);
  // Missing, or cut short by a program that died while writing it: a new key. Temporary files
  // named under an earlier key are then no longer recognised, and stay.
  const QByteArray key = RandomBytes(kKeyBytes);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    const QByteArray line = key.toHex() + '\n';
    if (f.write(line) == line.size() && f.flush()) return SaveTemporaries(key);
  }
  return Private();
}

std::string SaveTemporaries::Tag(const std::string& target_name, const std::string& nonce) const {
  QMessageAuthenticationCode mac(QCryptographicHash::Sha256, key_);
  mac.addData(QByteArray::fromStdString(target_name));
  mac.addData("/", 1);
  mac.addData(QByteArray::fromStdString(nonce));
  return mac.result().toHex().left(kHexDigits).toStdString();
}

std::string SaveTemporaries::NewNameFor(const std::string& target) const {
  const std::filesystem::path t(target);
  const std::string name = t.filename().string();
  const std::string nonce = RandomBytes(kHexDigits / 2).toHex().toStdString();
  const std::string temporary =
      name + std::string(kMarker) + nonce + "-" + Tag(name, nonce) + std::string(kSuffix);
  return (t.parent_path() / temporary).string();
}

bool SaveTemporaries::IsOurs(const std::string& path) const {
  std::string_view name;
  const std::string file = std::filesystem::path(path).filename().string();
  name = file;
  for (std::string_view side : {"-journal", "-wal", "-shm"}) {
    if (EndsWith(name, side)) {
      name.remove_suffix(side.size());
      break;
    }
  }
  if (!EndsWith(name, kSuffix)) return false;
  name.remove_suffix(kSuffix.size());
  // NAME.ktv-NONCE-TAG
  const size_t fixed = kMarker.size() + kHexDigits + 1 + kHexDigits;
  if (name.size() <= fixed) return false;
  const std::string_view target = name.substr(0, name.size() - fixed);
  const std::string_view rest = name.substr(target.size());
  if (rest.substr(0, kMarker.size()) != kMarker) return false;
  const std::string_view nonce = rest.substr(kMarker.size(), kHexDigits);
  if (rest[kMarker.size() + kHexDigits] != '-') return false;
  const std::string_view tag = rest.substr(kMarker.size() + kHexDigits + 1);
  if (!IsLowerHex(nonce) || !IsLowerHex(tag)) return false;
  return Tag(std::string(target), std::string(nonce)) == tag;
}

int SaveTemporaries::RemoveStaleIn(const std::string& folder) const {
  namespace fs = std::filesystem;
  std::vector<fs::path> ours;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code type_ec;
    // A link or a folder of that name is not a file the program wrote.
    if (it->is_symlink(type_ec) || !it->is_regular_file(type_ec)) continue;
    if (IsOurs(it->path().string())) ours.push_back(it->path());
  }
  int removed = 0;
  for (const fs::path& path : ours) {
    std::error_code remove_ec;
    if (fs::remove(path, remove_ec)) ++removed;
  }
  return removed;
}

}  // namespace ktv
