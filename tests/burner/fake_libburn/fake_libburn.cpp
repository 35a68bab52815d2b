// A stand-in for libburn with one blank CD-RW writer, loaded by the burner through the
// same dlopen as the real one. It records what the burner asks of it (pregaps, index
// addresses, CD-TEXT, simulation, speed) and reads every track's source to the end,
// so the tests can compare each track's audio with the disc image of the same disc.
#include <libburn/libburn.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace burn {

struct burn_drive {
    int speed = 0;
};
struct burn_track {
    int id = 0;
    burn_source* source = nullptr;
};
struct burn_session {
    std::vector<burn_track*> tracks;
};
struct burn_disc {
    std::vector<burn_session*> sessions;
};
struct burn_write_opts {
    int simulate = 0;
};

} // namespace burn

using namespace burn;

namespace {

std::string g_log;
burn_drive g_drive;
int g_tracks = 0;

void logLine(const std::string& line) { g_log += line + "\n"; }

uint32_t fnv(uint32_t h, const unsigned char* data, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

burn_drive_info* newInfo()
{
    auto* info = static_cast<burn_drive_info*>(std::calloc(2, sizeof(burn_drive_info)));
    std::strcpy(info->vendor, "FAKE");
    std::strcpy(info->product, "WRITER");
    info->write_cdr = 1;
    info->write_cdrw = 1;
    info->write_simulate = 1;
    info->drive = &g_drive;
    return info;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) const char* fake_libburn_log() { return g_log.c_str(); }

namespace burn {

int burn_initialize(void) { return 1; }
void burn_set_signal_handling(void*, burn_abort_handler_t, int mode) { logLine("signals " + std::to_string(mode)); }
int burn_msgs_set_severities(char*, char*, char*) { return 1; }
int burn_drive_scan(burn_drive_info* infos[], unsigned int* n)
{
    *infos = newInfo();
    *n = 1;
    return 1;
}
int burn_drive_info_forget(burn_drive_info*, int) { return 1; }
void burn_drive_info_free(burn_drive_info infos[]) { std::free(infos); }
int burn_drive_scan_and_grab(burn_drive_info* infos[], char* adr, int)
{
    if (std::strcmp(adr, "/dev/fake-sr0") != 0)
        return 0;
    *infos = newInfo();
    return 1;
}
int burn_drive_get_adr(burn_drive_info*, char adr[])
{
    std::strcpy(adr, "/dev/fake-sr0");
    return 1;
}
int burn_drive_get_speedlist(burn_drive*, burn_speed_descriptor** list)
{
    auto* a = static_cast<burn_speed_descriptor*>(std::calloc(2, sizeof(burn_speed_descriptor)));
    a[0].write_speed = 706;
    a[0].next = &a[1];
    a[1].write_speed = 1411;
    *list = a;
    return 1;
}
int burn_drive_free_speedlist(burn_speed_descriptor** list)
{
    std::free(*list);
    *list = nullptr;
    return 1;
}
enum burn_disc_status burn_disc_get_status(burn_drive*) { return BURN_DISC_BLANK; }
int burn_disc_erasable(burn_drive*) { return 1; }
void burn_disc_erase(burn_drive*, int fast) { logLine("erase " + std::to_string(fast)); }
enum burn_drive_status burn_drive_get_status(burn_drive*, burn_progress* p)
{
    if (p)
        std::memset(p, 0, sizeof *p);
    return BURN_DRIVE_IDLE;
}
int burn_drive_wrote_well(burn_drive*) { return 1; }
void burn_drive_cancel(burn_drive*) { logLine("cancel"); }
void burn_drive_release(burn_drive*, int) {}
void burn_drive_set_speed(burn_drive*, int, int write) { logLine("speed " + std::to_string(write)); }
// A blank of 80 minutes, or of the size QUILLON_FAKE_MEDIUM_BLOCKS gives.
off_t burn_disc_available_space(burn_drive*, burn_write_opts*)
{
    const char* blocks = std::getenv("QUILLON_FAKE_MEDIUM_BLOCKS");
    return off_t(blocks ? std::atol(blocks) : 360000) * 2048;
}
burn_disc* burn_disc_create(void) { return new burn_disc; }
void burn_disc_free(burn_disc* d)
{
    for (burn_session* s : d->sessions) {
        for (burn_track* t : s->tracks) {
            if (t->source && --t->source->refcount == 0) {
                t->source->free_data(t->source);
                std::free(t->source);
            }
            delete t;
        }
        delete s;
    }
    delete d;
}
burn_session* burn_session_create(void) { return new burn_session; }
void burn_session_free(burn_session*) {}
int burn_disc_add_session(burn_disc* d, burn_session* s, unsigned int)
{
    d->sessions.push_back(s);
    return 1;
}
burn_track* burn_track_create(void)
{
    auto* t = new burn_track;
    t->id = ++g_tracks;
    return t;
}
void burn_track_free(burn_track*) {}
void burn_track_define_data(burn_track* t, int, int, int pad, int mode)
{
    logLine("track " + std::to_string(t->id) + " mode " + std::to_string(mode) + " pad " + std::to_string(pad));
}
enum burn_source_status burn_track_set_source(burn_track* t, burn_source* s)
{
    ++s->refcount;
    t->source = s;
    return BURN_SOURCE_OK;
}
int burn_track_set_pregap_size(burn_track* t, int size, int)
{
    logLine("pregap " + std::to_string(t->id) + " " + std::to_string(size));
    return 1;
}
int burn_track_set_index(burn_track* t, int number, unsigned int lba, int)
{
    logLine("index " + std::to_string(t->id) + " " + std::to_string(number) + " " + std::to_string(lba));
    return 1;
}
int burn_track_set_cdtext(burn_track* t, int, int, char* name, unsigned char* payload, int length, int)
{
    logLine("cdtext " + std::to_string(t->id) + " " + name + " " + std::string(reinterpret_cast<char*>(payload), size_t(length - 1)));
    return 1;
}
int burn_session_set_cdtext(burn_session*, int, int, char* name, unsigned char* payload, int length, int)
{
    logLine(std::string("cdtext disc ") + name + " " + std::string(reinterpret_cast<char*>(payload), size_t(length - 1)));
    return 1;
}
int burn_track_set_isrc_string(burn_track* t, char isrc[13], int)
{
    logLine("isrc " + std::to_string(t->id) + " " + std::string(isrc, strnlen(isrc, 13)));
    return 1;
}
void burn_write_opts_set_mediacatalog(burn_write_opts*, unsigned char mediacatalog[13])
{
    logLine("mcn " + std::string(reinterpret_cast<char*>(mediacatalog), 13));
}
void burn_write_opts_set_has_mediacatalog(burn_write_opts*, int has) { logLine("has mcn " + std::to_string(has)); }
int burn_session_add_track(burn_session* s, burn_track* t, unsigned int)
{
    s->tracks.push_back(t);
    return 1;
}
void burn_source_free(burn_source* s)
{
    if (--s->refcount == 0) {
        s->free_data(s);
        std::free(s);
    }
}
burn_write_opts* burn_write_opts_new(burn_drive*) { return new burn_write_opts; }
void burn_write_opts_free(burn_write_opts* o) { delete o; }
int burn_write_opts_set_write_type(burn_write_opts*, enum burn_write_types type, int block)
{
    logLine("write type " + std::to_string(type) + " " + std::to_string(block));
    return 1;
}
int burn_write_opts_set_simulate(burn_write_opts* o, int sim)
{
    o->simulate = sim;
    return 1;
}
int burn_precheck_write(burn_write_opts*, burn_disc*, char reasons[], int)
{
    reasons[0] = '\0';
    return 1;
}
void burn_disc_write(burn_write_opts* o, burn_disc* d)
{
    std::string line = "write simulate " + std::to_string(o->simulate);
    for (burn_session* s : d->sessions)
        for (burn_track* t : s->tracks) {
            unsigned char block[2352];
            uint32_t h = 2166136261u;
            long long bytes = 0;
            for (int n; (n = t->source->read(t->source, block, sizeof block)) > 0;) {
                h = fnv(h, block, size_t(n));
                bytes += n;
            }
            char part[64];
            std::snprintf(part, sizeof part, " %lld:%08x", bytes, h);
            line += part;
        }
    logLine(line);
}
int burn_msgs_obtain(char*, int*, char*, int*, char*) { return 0; }

} // namespace burn
} // extern "C"
