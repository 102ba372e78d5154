// The output file of a list row: its folder, its name from the input's, and the free "-N" names.
#pragma once

#include <string_view>

#include "FileSystem.h"

// The path with the extension of its file name (from the last "." after the last path
// delimiter) replaced by AExtension; a name without "." gets AExtension appended.
TPathFileName ChangeFileExt(const TPathFileName& APath, std::string_view AExtension);

// The path with AExtension when no file of that name exists (links followed); otherwise the first
// of base "-1", "-2", ... with AExtension that does not exist: clip.mp4, clip-1.mp4, clip-2.mp4.
TPathFileName MakeUniqueOutputName(const TPathFileName& APath, std::string_view AExtension);

// The output path of an input: the folder text followed by "/" (a folder text that already ends
// in "/" gives two, which names the same folder), then the input's file name with AExtension;
// without AOverwrite, the first free name of MakeUniqueOutputName.
TPathFileName OutputPathOf(const TPathFileName& AOutputFolder, const TPathFileName& AInputPath,
                           std::string_view AExtension, bool AOverwrite);

// True when the output path names the input file itself (the same file reached through any
// spelling, link or doubled delimiter). Converting would then truncate the file being read.
bool OutputNamesInput(const TPathFileName& AOutputPath, const TPathFileName& AInputPath);
