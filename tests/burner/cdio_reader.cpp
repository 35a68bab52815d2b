#include "cdio_reader.h"

#include <cdio/cdio.h>

namespace quillon::test {

std::vector<std::string> cdioTrackIsrcs(const std::string& cuePath)
{
    std::vector<std::string> isrcs;
    CdIo_t* image = cdio_open_cue(cuePath.c_str());
    if (!image)
        return isrcs;
    const track_t first = cdio_get_first_track_num(image);
    const track_t count = cdio_get_num_tracks(image);
    for (track_t t = first; t < first + count; ++t) {
        char* code = cdio_get_track_isrc(image, t);
        isrcs.push_back(code ? code : "");
        cdio_free(code);
    }
    cdio_destroy(image);
    return isrcs;
}

} // namespace quillon::test
