#pragma once
// The program's own settings: the user's under HKEY_CURRENT_USER, the font folder (written by the
// installation, only read here) under HKEY_LOCAL_MACHINE. Option sets are corrected on reading so
// the rest of the program never sees a value out of range.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

namespace typa::settings {

inline constexpr const char* kProgramKey = "SOFTWARE\\Orvane Media\\Typarium";
inline constexpr const char* kFontsKey = "SOFTWARE\\Orvane Media\\Typarium\\Fonts";
inline constexpr const char* kGroupsKey = "SOFTWARE\\Orvane Media\\Typarium\\GroupsNew";

using OptionSet = std::uint8_t;

// Bits of AppTools.
enum AppToolsBit : OptionSet {
    kShowToolbar = 1 << 0,
    kShowStatusBar = 1 << 1,
    kShowHints = 1 << 2,
    kKeepBit3 = 1 << 3, // no meaning of its own, written back as read
    kRestoreSize = 1 << 4,
};

inline constexpr OptionSet kAppToolsDefault = 31;
inline constexpr OptionSet kPrintOptionsDefault = 31;
inline constexpr OptionSet kStatusOptionsDefault = 15;
inline constexpr OptionSet kFontOptionsDefault = 31;
inline constexpr std::int32_t kTreeHeightDefault = 110;
// No window can be higher than the coordinates the system handles; a stored height beyond them
// (or below 0) is taken as the nearest of 0 and this.
inline constexpr std::int32_t kTreeHeightMax = 32767;
// The options dialog takes no more; a longer stored text is cut when read.
inline constexpr std::size_t kSampleTextMax = 100;

// A stored value below 0 or above the largest valid set falls back to the default.
constexpr OptionSet CorrectOptionSet(std::int32_t stored, OptionSet largest, OptionSet def)
{
    return (stored < 0 || stored > largest) ? def : static_cast<OptionSet>(stored);
}

// Window rectangle kept as AppPos: four little-endian 32-bit integers.
struct AppPos {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

std::string ReadFontPath();
std::string ReadSampleText(const std::string& def);
bool WriteSampleText(const std::string& text);

OptionSet ReadAppTools();
OptionSet ReadPrintOptions();
OptionSet ReadStatusOptions();
OptionSet ReadFontOptions();
bool WriteAppTools(OptionSet v);
bool WritePrintOptions(OptionSet v);
bool WriteStatusOptions(OptionSet v);
bool WriteFontOptions(OptionSet v);

AppPos ReadAppPos();
std::int32_t ReadTreeHeight(bool installed);

// Writes TVAvailHeight, TVInstHeight, AppPos and AppTools, in this order.
void SaveWindowState(std::int32_t availableTreeHeight, std::int32_t installedTreeHeight, const AppPos& pos,
                     OptionSet appTools);

} // namespace typa::settings
