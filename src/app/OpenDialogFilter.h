// The open dialog's filter entries for adding files, and the split of a pattern list.
#pragma once

#include <string>
#include <vector>

#include "Dialogs.h"

// "All Supported Files (*.rm;*.rmvb;*.ram)" first (selected at opening), then any media file.
const std::vector<TFileFilter>& AddFilesFilters();

// The single patterns of a ";"-separated list, blanks around them removed, empty ones dropped.
std::vector<std::string> SplitFilterPatterns(const std::string& APatterns);
