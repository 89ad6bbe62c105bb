#pragma once
// What the builds of the installed catalogue learnt of each system font value (the files they
// made, TFontFile), by value: its key, its name, its data and its file as they were. A build asks
// for each value it reads; a value whose name, data and file are unchanged gives its faces with
// their families, creation records and row heights again, and only the others are learnt from
// the system. Kept for the run, and in a file between runs, so that a start-up learns only what
// changed since the last one.
#include "fonts/FontItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace typa {

class TInstalledMemory {
public:
    // The file learnt for this value when its file is as it was; null otherwise.
    std::shared_ptr<TFontFile> Recall(bool forUser, const std::string& valueName, const std::string& data,
                                      const FileStamp& stamp) const;
    // What a build saw: the files of every value it read, which replace what was kept before.
    void Keep(const std::vector<std::shared_ptr<TFontFile>>& files);
    std::size_t Count() const noexcept { return m_files.size(); }

    // Whether it holds more than its file: something was learnt, or something went, since it
    // was last loaded or saved. What the lists learn of row heights goes straight into the
    // files it keeps; they say so with MarkChanged.
    bool Changed() const noexcept { return m_changed; }
    void MarkChanged() noexcept { m_changed = true; }

    // The memory as bytes, and back. Row heights belong to one resolution (`dpi`): read back at
    // another, they are left out. Parse takes nothing from bytes that are not a whole memory of
    // this format (cut, changed, or of another version) and answers false then.
    std::string Serialize(int dpi) const;
    bool Parse(const std::string& bytes, int dpi);

    // The memory's file: read back at start-up; written anew under another name beside it, then
    // put in its place, so that a program ended at any instant leaves the old file or the new.
    bool Load(const std::string& path, int dpi);
    bool Save(const std::string& path, int dpi);

private:
    static std::string Key(bool forUser, const std::string& valueName, const std::string& data);
    std::unordered_map<std::string, std::shared_ptr<TFontFile>> m_files;
    bool m_changed = false;
};

} // namespace typa
