#include "app/Settings.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstring>

namespace typa::settings {
namespace {

OptionSet ReadOptionSet(const char* name, OptionSet largest, OptionSet def)
{
    return CorrectOptionSet(reg::ReadInteger(HKEY_CURRENT_USER, kProgramKey, name, def), largest, def);
}

bool WriteOptionSet(const char* name, OptionSet v) { return reg::WriteInteger(HKEY_CURRENT_USER, kProgramKey, name, v); }

} // namespace

// Read only: the installation writes it, and a user without administrator rights may not open
// the machine's key for writing.
std::string ReadFontPath() { return reg::ReadStringReadOnly(HKEY_LOCAL_MACHINE, kProgramKey, "FontPath", ""); }

std::string ReadSampleText(const std::string& def)
{
    std::string text = reg::ReadString(HKEY_CURRENT_USER, kProgramKey, "SampleText", def);
    if (text.size() > kSampleTextMax) text.resize(kSampleTextMax); // drawn on every row: keep it as the dialog would
    return text;
}

bool WriteSampleText(const std::string& text)
{
    return reg::WriteString(HKEY_CURRENT_USER, kProgramKey, "SampleText", text);
}

OptionSet ReadAppTools() { return ReadOptionSet("AppTools", 31, kAppToolsDefault); }
OptionSet ReadPrintOptions() { return ReadOptionSet("PrintOptions", 31, kPrintOptionsDefault); }
OptionSet ReadStatusOptions() { return ReadOptionSet("StatusOptions", 15, kStatusOptionsDefault); }
OptionSet ReadFontOptions() { return ReadOptionSet("FontOptions", 31, kFontOptionsDefault); }

bool WriteAppTools(OptionSet v) { return WriteOptionSet("AppTools", v); }
bool WritePrintOptions(OptionSet v) { return WriteOptionSet("PrintOptions", v); }
bool WriteStatusOptions(OptionSet v) { return WriteOptionSet("StatusOptions", v); }
bool WriteFontOptions(OptionSet v) { return WriteOptionSet("FontOptions", v); }

AppPos ReadAppPos()
{
    unsigned char bytes[16];
    const unsigned char zeros[16] = {};
    reg::ReadBinary(HKEY_CURRENT_USER, kProgramKey, "AppPos", bytes, sizeof bytes, zeros);
    auto at = [&](int offset) {
        std::uint32_t v = bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                          static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
        return static_cast<std::int32_t>(v);
    };
    return AppPos{at(0), at(4), at(8), at(12)};
}

std::int32_t ReadTreeHeight(bool installed)
{
    const std::int32_t stored = reg::ReadInteger(HKEY_CURRENT_USER, kProgramKey,
                                                 installed ? "TVInstHeight" : "TVAvailHeight", kTreeHeightDefault);
    return std::clamp<std::int32_t>(stored, 0, kTreeHeightMax);
}

void SaveWindowState(std::int32_t availableTreeHeight, std::int32_t installedTreeHeight, const AppPos& pos,
                     OptionSet appTools)
{
    reg::WriteInteger(HKEY_CURRENT_USER, kProgramKey, "TVAvailHeight", availableTreeHeight);
    reg::WriteInteger(HKEY_CURRENT_USER, kProgramKey, "TVInstHeight", installedTreeHeight);
    unsigned char bytes[16];
    const std::int32_t fields[4] = {pos.left, pos.top, pos.right, pos.bottom};
    for (int i = 0; i < 4; ++i) {
        auto v = static_cast<std::uint32_t>(fields[i]);
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<unsigned char>(v >> (8 * b));
    }
    reg::WriteBinary(HKEY_CURRENT_USER, kProgramKey, "AppPos", sizeof bytes, bytes);
    WriteAppTools(appTools);
}

} // namespace typa::settings
