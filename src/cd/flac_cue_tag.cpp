#include "flac_cue_tag.h"

#include <FLAC/metadata.h>
#include <cstring>
#include <memory>

namespace quillon {

bool FlacCueTag::write(const std::string& flacPath, const std::string& sheet, std::string& error)
{
    std::unique_ptr<FLAC__Metadata_Chain, void (*)(FLAC__Metadata_Chain*)> chain(FLAC__metadata_chain_new(),
                                                                                 FLAC__metadata_chain_delete);
    if (!chain || !FLAC__metadata_chain_read(chain.get(), flacPath.c_str())) {
        error = "cannot read the FLAC file's metadata";
        return false;
    }
    std::unique_ptr<FLAC__Metadata_Iterator, void (*)(FLAC__Metadata_Iterator*)> it(FLAC__metadata_iterator_new(),
                                                                                     FLAC__metadata_iterator_delete);
    FLAC__metadata_iterator_init(it.get(), chain.get());
    FLAC__StreamMetadata* comments = nullptr;
    do {
        if (FLAC__metadata_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT)
            comments = FLAC__metadata_iterator_get_block(it.get());
    } while (!comments && FLAC__metadata_iterator_next(it.get()));
    if (!comments) {
        // A new comment block goes right after the stream information.
        FLAC__metadata_iterator_init(it.get(), chain.get());
        comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        if (!comments || !FLAC__metadata_iterator_insert_block_after(it.get(), comments)) {
            if (comments)
                FLAC__metadata_object_delete(comments);
            error = "cannot add a comment block";
            return false;
        }
    }
    FLAC__metadata_object_vorbiscomment_remove_entries_matching(comments, kField);
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, kField, sheet.c_str()) ||
        !FLAC__metadata_object_vorbiscomment_append_comment(comments, entry, false)) {
        error = "cannot add the CUESHEET comment";
        return false;
    }
    FLAC__metadata_chain_sort_padding(chain.get());
    if (!FLAC__metadata_chain_write(chain.get(), true, false)) {
        error = FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())];
        return false;
    }
    return true;
}

std::optional<std::string> FlacCueTag::read(const std::string& flacPath)
{
    FLAC__StreamMetadata* tags = nullptr;
    if (!FLAC__metadata_get_tags(flacPath.c_str(), &tags) || !tags)
        return std::nullopt;
    std::optional<std::string> sheet;
    const size_t prefix = std::strlen(kField) + 1;
    const auto& vc = tags->data.vorbis_comment;
    for (FLAC__uint32 i = 0; i < vc.num_comments && !sheet; ++i) {
        const auto& e = vc.comments[i];
        const std::string text(reinterpret_cast<const char*>(e.entry), e.length);
        if (text.size() >= prefix && strncasecmp(text.c_str(), kField, prefix - 1) == 0 && text[prefix - 1] == '=')
            sheet = text.substr(prefix);
    }
    FLAC__metadata_object_delete(tags);
    return sheet;
}

} // namespace quillon
