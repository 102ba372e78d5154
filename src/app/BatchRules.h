// The batch controller's texts and the numbers it shows while a list row converts.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* MsgNoFilesToConvert = "Please Add Files To Convert!";
constexpr const char* MsgNoOutputFolder = "Please select an output folder!";
constexpr const char* MsgAllConversionsCompleted = "All Conversions Completed";
constexpr const char* MsgStopAllConversions = "Stop all conversions?";

// The three lines naming an output folder that does not exist; the folder text as typed.
std::string MissingOutputFolderMessage(const std::string& AFolderText);

// The whole percent of ACurrent in ATotal, from 0 to 100; 0 when the total is unknown (0 or
// negative).
int ProgressPercent(std::int64_t ACurrent, std::int64_t ATotal);
// The Status cell while converting: the percent and "%".
std::string ProgressStatusText(int APercent);
// The status bar's size panel: bytes in decimal megabytes, halves to the even neighbour.
std::string FileSizePanelText(std::int64_t ABytes);
// The Frames cell: a single blank when the engine knows no frame number (-1).
std::string FramesCellText(int AFrameNumber);

// The Status a started row ends with: a failure, else a stop by the user, else success.
enum TRowEnd { reDone, reFail, reAbort };
TRowEnd RowEndOf(bool AException, bool AStopRequested);
const char* RowEndStatus(TRowEnd AEnd);
