#pragma once
// Keeps PortAudio initialised while anyone needs it. Pa_Initialize and Pa_Terminate are
// process-wide and must pair up, so every device and every device-list query holds a
// session; the first session initialises the library and the last one terminates it.
// Sessions may be created and destroyed on any thread.
//
// Initialisation probes every host API. The JACK client library prints its failure to
// reach a server on standard error even when no server is wanted, so the probe runs
// with standard error sent to /dev/null (and with JACK told not to start a server).

#include <mutex>
#include <string>
#include <vector>

namespace quillon {

class PortAudioSession {
public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    // False when PortAudio could not be initialised; nothing else works then.
    bool isValid() const { return m_valid; }

    struct Device {
        int index = -1; // PortAudio's device index
        std::string name;
        int channels = 0;
    };
    // The devices that can play (output) or record (input), in PortAudio's order. Our
    // device ids are indices into these lists; -1 stands for the system default.
    std::vector<Device> devices(bool output) const;
    // PortAudio's index for one of our device ids, or -1 when there is no such device.
    int resolve(int deviceId, bool output) const;

    // PortAudio promises nothing about calls from several threads at once, and playback
    // and recording run on threads of their own: opening, starting, stopping and closing
    // streams take this lock. Stream callbacks never do.
    static std::mutex& streamMutex();

private:
    bool m_valid = false;
};

} // namespace quillon
