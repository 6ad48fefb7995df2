#pragma once
// The per-user settings store of application "Didovez" (sections "Settings" and "Preview").
#include <QSettings>
#include <QString>
#include <memory>

namespace ktv {

inline constexpr const char* kSettingsApplication = "Didovez";
// Keys, as "section/key".
inline constexpr const char* kKeyOfficeName = "Settings/OfficeName";
// The cover's project-name line (the box beside 工事名), its office line and its date line.
inline constexpr const char* kKeyPrintProjectName = "Settings/PrnCNamOk";
inline constexpr const char* kKeyPrintOfficeName = "Settings/PrnOfficeOk";
inline constexpr const char* kKeyPrintDate = "Settings/PrnDateOk";
inline constexpr const char* kKeyDataPass = "Settings/DataPass";
inline constexpr const char* kKeyLoadFile = "Settings/LoadFile";
inline constexpr const char* kKeyPreviewZoom = "Preview/Zoom";
// The project files last opened or saved, newest first; whether the working database held
// changes not saved to the newest of them when the program ended.
inline constexpr const char* kKeyRecentFiles = "Settings/RecentFiles";
inline constexpr const char* kKeyLastFileModified = "Settings/LastFileModified";

// Opens the store (tests redirect it with QSettings::setPath).
inline std::unique_ptr<QSettings> OpenUserSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QString::fromLatin1(kSettingsApplication),
                                     QString::fromLatin1(kSettingsApplication));
}

}  // namespace ktv
