#pragma once
// Numbers of the program's commands. The framework's standard commands keep their
// traditional numbers; posted commands (the wizards) are addressed by these.

namespace quillon::cmd {

// File
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kExit = 57665;
inline constexpr int kConfigureSaveOptions = 7926;
// Edit
inline constexpr int kClear = 57632;
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPaste = 57637;
inline constexpr int kSelectAll = 57642;
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kSelectFollowingInTrack = 7917;
inline constexpr int kSelectFollowingAllTracks = 7918;
// View
inline constexpr int kZoomIn = 7794;
inline constexpr int kViewWholeProject = 7796;
inline constexpr int kZoomOut = 7798;
inline constexpr int kShowMarkedSection = 7920;
inline constexpr int kTimeMetric = 7930;
inline constexpr int kTimeBarsBeats = 7931;
inline constexpr int kTimeSmpte = 7932;
inline constexpr int kTimeSamples = 7933;
inline constexpr int kShowGrid = 7934;
// Track
inline constexpr int kInsertTrack = 7772;
inline constexpr int kDeleteTrack = 7774;
inline constexpr int kTrackProperties = 7775;
inline constexpr int kInsertAudioFile = 7902;
inline constexpr int kAddVolumeCurve = 7776;
inline constexpr int kAddPanCurve = 7777;
inline constexpr int kToggleActive = 7778;
inline constexpr int kInsertCdTrackSplit = 7839;
inline constexpr int kInsertCdIndex = 7840;
inline constexpr int kInsertLabel = 7841;
inline constexpr int kAdjustSilence = 7842;
// Audio
inline constexpr int kPlayFromCursor = 7800;
inline constexpr int kPlayAll = 7801;
inline constexpr int kPlayLooped = 7802;
inline constexpr int kStopPlaying = 7803;
inline constexpr int kRewind = 7804;
inline constexpr int kFastForward = 7805;
inline constexpr int kPreviousCdTrack = 7806;
inline constexpr int kNextCdTrack = 7807;
// Tools
inline constexpr int kBurnCd = 7836;
inline constexpr int kWaveEditor = 7908;
inline constexpr int kLpToCdWizard = 7913;
inline constexpr int kTapeToCdWizard = 7914;
// Options
inline constexpr int kProjectSettings = 7940;
inline constexpr int kGridFirst = 7950; // + index in the grid table
// Help
inline constexpr int kAbout = 57664;
// Recording, export and devices
inline constexpr int kRecord = 7980;
inline constexpr int kExportAudioFile = 7981;
inline constexpr int kExportCdTracks = 7982;
inline constexpr int kDeviceSettings = 7983;
// Effect menus: catalogue command ids for the track chain, offset for the master chain.
inline constexpr int kMasterEffectOffset = 10000;

} // namespace quillon::cmd
