// The rules that read a document's file name: the window caption, list mode, the source of a
// list file and which files the recent-file list keeps.
#pragma once

#include <QString>

namespace tarvix {

inline constexpr const char* kProductTitle = "Tarvix v1.0";

// "Tarvix v1.0 - [C:\PATH\FILE.ASM]": the full path in the platform's own spelling, in
// upper case; a document that has no file yet shows "[UNTITLED]".
QString frameTitle(const QString& path);

// A name ending in ".LST", any case, is shown in list mode.
bool isListFileName(const QString& path);
// "Assembly Code" works for a name ending in "lst", any case.
bool hasListSuffix(const QString& path);
// The list file's name with its last three characters replaced by "asm".
QString sourcePathOf(const QString& listPath);
// Only names ending in "asm", any case, enter the recent-file list.
bool isRecentFileName(const QString& path);

}  // namespace tarvix
