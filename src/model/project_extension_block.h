#pragma once
// What a project keeps beyond the label list: the labels' pauses (CD tracks placed by
// hand), whether each track is active, an ISRC per CD track, the disc's catalogue
// number and whether its CD tracks are automatic. It follows the label list as one block:
//
//   "VQXB" | version (16-bit) | payload length (32-bit) | payload
//   payload, version 1: catalogue number (string); label count L, then L times
//   pause (32-bit) and ISRC (string); track count T, then T active bytes; whether the
//   CD tracks follow the arrangement (byte), so CD tracks placed by hand stay so.
//
// A reader that stops after the label list never sees the block. A later version
// appends to the payload, and this reader skips what it does not know by the length.
// Files without the block (or with bytes after the labels that are no block) load as
// before; a damaged block, or one whose counts disagree with the lists, is left unread
// rather than guessed at.

namespace quillon {

class CArchive;
class CMultitrackerDoc;

class ProjectExtensionBlock {
public:
    static constexpr char kMagic[4] = {'V', 'Q', 'X', 'B'};
    static constexpr unsigned kVersion = 1;

    static void store(CArchive& ar, CMultitrackerDoc& doc);
    // Reads the block if one stands at the archive's position; never throws for a
    // missing or damaged block.
    static void load(CArchive& ar, CMultitrackerDoc& doc);
};

} // namespace quillon
