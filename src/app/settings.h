#pragma once
// The per-user settings store of application "Didovez" (sections "Settings" and "Preview").
#include <QSettings>
#include <QString>
#include <memory>

namespace ktv {

inline constexpr const char* kSettingsApplication = "Didovez";
// Keys, as "section/key".
inline constexpr const char* kKeyOfficeName = "Settings/OfficeName";
inline constexpr const char* kKeyPrintOfficeName = "Settings/PrnCNamOk";
inline constexpr const char* kKeyPrintDate = "Settings/PrnDateOk";
inline constexpr const char* kKeyDataPass = "Settings/DataPass";
inline constexpr const char* kKeyLoadFile = "Settings/LoadFile";
inline constexpr const char* kKeyPreviewZoom = "Preview/Zoom";

// Opens the store (tests redirect it with QSettings::setPath).
inline std::unique_ptr<QSettings> OpenUserSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QString::fromLatin1(kSettingsApplication),
                                     QString::fromLatin1(kSettingsApplication));
}

}  // namespace ktv
