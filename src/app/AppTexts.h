// The application's fixed texts: captions, messages, menu entries and addresses.
#pragma once

constexpr const char* ApplicationTitle = "Vorandel";
constexpr const char* ApplicationVersion = "1.0";
constexpr const char* CaptionInformation = "Information";
constexpr const char* CaptionConfirmation = "Confirmation";

constexpr const char* MsgLibrariesMissing =
    "Some files are missing. Please re-install this software";
constexpr const char* BrowseHeadline = "Choose the required output directory below :";
// The folder picker's name before the first choice; it names no folder, so none is preselected.
constexpr const char* BrowseInitialFolder = "Select Output Directory";

constexpr const char* HelpFileName = "help.chm";
constexpr const char* MakerWebSite = "https://www.ombrix.com/";
