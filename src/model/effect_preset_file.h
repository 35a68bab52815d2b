#pragma once
// The named presets of one effect type, kept in one file per type in the preset folder:
// "<folder>/<identity text>.pre". The file holds a "(last)" record with the effect's
// state when the file was written, the preset count, then the presets in order; a
// record is the name in a fixed field of 255 bytes (NUL-terminated), the state size
// (32 bits, little-endian) and the state bytes.
//
// Writing builds the whole file in memory, writes it beside the old one and renames it
// over, so a failure leaves the old presets as they were. Reading checks every count
// and size against the file's length.
//
// Threads: the user-interface thread (the chain editor, quillon-cli).

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class SettingsStore;

struct EffectPreset {
    std::string name;
    std::vector<uint8_t> state;
};

class EffectPresetFile {
public:
    static constexpr size_t kNameField = 255;
    // The longest name that fits the field with its NUL.
    static constexpr size_t kMaxName = kNameField - 1;
    static constexpr const char* kLastName = "(last)";

    // The preset folder setting (folder kind 1), or our default in the user's data
    // folder when none is set; always ends in a separator.
    static std::string presetFolder(SettingsStore& settings);
    // The folder joined with the identity text and ".pre".
    static std::string pathFor(const std::string& folder, const std::string& identityText);

    // A missing file means no presets (true). False, with no presets, for a file that
    // cannot be read or whose counts and sizes do not fit its length.
    bool read(const std::string& path);
    // The "(last)" record holds `lastState`. False (the old file untouched) when the
    // file cannot be written.
    bool write(const std::string& path, const std::vector<uint8_t>& lastState) const;

    // The whole file as it would be written.
    std::vector<uint8_t> bytes(const std::vector<uint8_t>& lastState) const;
    // Reads the bytes of a whole file; false (no presets) when damaged.
    bool parse(const std::vector<uint8_t>& bytes);

    const std::vector<EffectPreset>& presets() const { return m_presets; }
    const std::vector<uint8_t>& lastState() const { return m_last; }
    const EffectPreset* find(const std::string& name) const;
    // Appends, or replaces the state of a preset of that name. Names longer than the
    // field allows are cut to kMaxName bytes.
    void put(std::string name, std::vector<uint8_t> state);
    bool remove(const std::string& name);

private:
    std::vector<EffectPreset> m_presets;
    std::vector<uint8_t> m_last;
};

} // namespace quillon
