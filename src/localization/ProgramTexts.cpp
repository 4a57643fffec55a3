#include "localization/ProgramTexts.h"

#include <unordered_map>

namespace quorvel {
namespace {

// The windows find these by their English wording (the text they pass to tr()), so a
// text and its wording in the code change together.
constexpr ProgramText kTexts[] = {
    {"MSG_TITLELANGUAGE", "Language Selection"},
    {"MSG_DOWNLOADED",
     "The newest translations have been downloaded. Pick a language to use them."},
    // Main window extras.
    {"MSG_SEARCHCHANNELS", "Search channels"},
    {"MSG_SEARCHTHISLIST", "This list"},
    {"MSG_SEARCHEVERYTHING", "Everything"},
    {"MSG_SEARCHSCOPETIP", "Search the list shown, or every category and playlist"},
    {"MSG_FOUNDCHANNEL", "Channel"},
    {"MSG_FOUNDFROM", "From"},
    {"MSG_FOUNDTYPE", "Type"},
    {"MSG_IMPORTM3U", "Import M3U..."},
    {"MSG_IMPORTM3UTIP",
     "Appends the channels of an M3U playlist; their category is the Type box above, or the "
     "playlist's group when the box is empty."},
    {"MSG_IMPORTM3UTITLE", "Import M3U"},
    {"MSG_CHECKSTREAMS", "Check Streams"},
    {"MSG_CHECKPROGRESS", "Checked %1 of %2 streams, %3 without answer"},
    {"MSG_CANCEL", "Cancel"},
    {"MSG_CANCELLING", "Cancelling..."},
    {"MSG_CHECKCANCELLED", "The check was cancelled. "},
    {"MSG_CHECKFAILEDONE", "1 channel did not answer (marked in red). Remove it from the list?"},
    {"MSG_CHECKFAILED", "%1 channels did not answer (marked in red). Remove them from the list?"},
    // The player: its menu, its bar and why a stream ended.
    {"MSG_PLAYPAUSE", "Play/Pause"},
    {"MSG_PLAY", "Play"},
    {"MSG_PAUSE", "Pause"},
    {"MSG_STOP", "Stop"},
    {"MSG_MUTE", "Mute"},
    {"MSG_VOLUME", "Volume"},
    {"MSG_FULLSCREEN", "Full Screen"},
    {"MSG_COPYTITLES", "Copy Titles"},
    {"MSG_RECONNECTING", "Reconnecting..."},
    {"MSG_CANNOTPLAY", "Cannot play \"%1\"."},
    {"MSG_STREAMBROKE", "The stream broke off while playing."},
    {"MSG_RECONNECTFAILED",
     "The stream broke off while playing, and %1 tries to open it again failed."},
    {"MSG_STREAMSTOPPED", "The stream stopped sending."},
    {"MSG_NOANSWER", "No answer within %1 seconds."},
    {"MSG_SERVERSILENT", "The server did not answer within %1 seconds."},
    {"MSG_NOTHINGPLAYABLE", "Nothing in it could be played."},
    {"MSG_NONEOFFIRST", "None of the first %1 entries could be played."},
    {"MSG_NOTCHECKED", "The address could not be checked before it opened."},
    {"MSG_CHECKBROKEOFF", "The check broke off: %1"},
    // The player: what it waits for, sound alone, the error box's details, a saved recording.
    {"MSG_CONNECTING", "Connecting..."},
    {"MSG_WAITSERVER", "Waiting for the server to answer"},
    {"MSG_READPLAYLIST", "Reading the channel's playlist"},
    {"MSG_RECEIVING", "Receiving the stream"},
    {"MSG_TRYSOON", "Try %1 of %2 starts soon"},
    {"MSG_SECONDS", "%1 s"},
    {"MSG_NOSOUND", "No sound output is available."},
    {"MSG_SERVERERROR", "The server answered with error %1."},
    {"MSG_REFUSED", "The server refused the connection."},
    {"MSG_NONAME", "The server's name could not be found."},
    {"MSG_NOTINTIME", "The server did not answer in time."},
    {"MSG_UNPLAYABLE", "What the address sends is nothing the player can play."},
    {"MSG_ADDRESSIS", "Address: %1"},
    {"MSG_HTTPSTATUS", "HTTP status: %1"},
    {"MSG_WAITED", "Waited %1 s"},
    {"MSG_ENGINESAID", "The media engine said:"},
    {"MSG_PLAYINGLIVE", "Playing live"},
    {"MSG_SAVEDAS", "Saved as %1"},
    {"MSG_OPENFOLDER", "Open Folder"},
    {"MSG_OPENRECORDINGS", "Open Recordings Folder"},
    // Recording, live rewind and the sleep timer.
    {"MSG_RECORD", "Record"},
    {"MSG_STOPRECORDING", "Stop Recording"},
    {"MSG_RECORDINGSTATUS", "Recording %1, %2"},
    {"MSG_RECORDINGSTOPPED", "Recording stopped: %1"},
    {"MSG_DISKFULL", "The disk is full."},
    {"MSG_FILETOOLARGE", "The file has reached the largest size allowed."},
    {"MSG_FOLDERREADONLY", "The folder cannot be written."},
    {"MSG_CANNOTRECORD", "The media engine cannot record this stream."},
    {"MSG_NOTHINGRECORDED", "The stream sent nothing to record."},
    {"MSG_WRITEFAILED", "The file could not be written."},
    {"MSG_LIVE", "Live"},
    {"MSG_TIMESHIFTLINK",
     "Pause and rewind are off: the cache folder is a link or another user's (%1)."},
    {"MSG_TIMESHIFTUNUSABLE", "Pause and rewind are off: the cache folder cannot be used (%1)."},
    {"MSG_TIMESHIFTSHORT", "The disk is nearly full: less is kept for rewinding."},
    {"MSG_BACKTOLIVE", "Back to Live"},
    {"MSG_SLEEPTIMER", "Sleep Timer"},
    {"MSG_SLEEPOFF", "Off"},
    {"MSG_MINUTES", "%1 minutes"},
    {"MSG_ENDOFFILE", "End of Current File"},
    {"MSG_SLEEPATEND", "Sleep at end of file"},
    {"MSG_SLEEPIN", "Sleep in %1"},
    // Window titles, the user guide's window and the import's file types.
    {"MSG_MAINTITLE", "%1 by %2"},
    {"MSG_ABOUTTITLE", "About %1"},
    {"MSG_GUIDETITLE", "%1 User Guide"},
    {"MSG_GUIDEUNREADABLE", "The user guide could not be read."},
    {"MSG_PLAYLISTFILES", "Playlists (*.m3u *.m3u8);;All files (*)"},
    // The editing panel's import and download, and the favorites file.
    {"MSG_IMPORTFAILED", "The channel list could not be imported: %1"},
    {"MSG_DOWNLOADINGLIST", "Downloading the most recent channel list..."},
    {"MSG_FAVORITESUNREADABLE", "The favorites could not be read: %1"},
    {"MSG_FAVORITESUNCHANGED", "The favorites were not changed: %1"},
    {"MSG_FAVORITESKEPT",
     "The file is left as it is until it can be read, so that none of its favorites is lost."},
    {"MSG_FAVORITESUNSAVED", "The favorites could not be saved: %1"},
    // The user's own playlists.
    {"MSG_PLAYLISTS", "Playlists"},
    {"MSG_PLAYLISTSMENU", "Playlists..."},
    {"MSG_OPENADDRESSMENU", "Open Address..."},
    {"MSG_OPENFILEMENU", "Open File..."},
    {"MSG_OPENADDRESS", "Open Address"},
    {"MSG_OPENFILE", "Open File"},
    {"MSG_OPENADDRESSLABEL", "Address of a stream or playlist:"},
    {"MSG_MEDIAFILES",
     "Media and playlists (*.m3u *.m3u8 *.pls *.mp3 *.mp4 *.mkv *.ts *.aac *.ogg *.wav *.wma "
     "*.wmv *.flac);;All files (*)"},
    {"MSG_ALLPLAYLISTS", "All Playlists"},
    {"MSG_PLAYLISTNOTOPENED", "The playlist %1 could not be opened: %2"},
    {"MSG_REFRESHFAILED",
     "The playlist \"%1\" could not be refreshed (%2). Its last good copy stays in use."},
    {"MSG_REFRESHNOTPLAYLIST",
     "The playlist \"%1\" was not refreshed: the answer is not a playlist. Its last good "
     "copy stays in use."},
    {"MSG_ADDADDRESS", "Add Address..."},
    {"MSG_ADDFILE", "Add File..."},
    {"MSG_RENAME", "Rename..."},
    {"MSG_REMOVE", "Remove"},
    {"MSG_REFRESHNOW", "Refresh Now"},
    {"MSG_REFRESHEVERY", "Refresh every:"},
    {"MSG_HOURS", " h"},
    {"MSG_PLAYLISTADDRESS", "Address of the playlist:"},
    {"MSG_PLAYLISTNAME", "Name:"},
    {"MSG_PLAYLISTFILESPLS", "Playlists (*.m3u *.m3u8 *.pls);;All files (*)"},
    {"MSG_PLAYLISTSNOTCHANGED", "The playlists could not be changed: %1"},
    // Programme guides.
    {"MSG_GUIDEMENU", "Programme Guide..."},
    {"MSG_GUIDE", "Programme Guide"},
    {"MSG_GUIDEADDRESS", "Address of the guide:"},
    {"MSG_GUIDEFILES", "Programme guides (*.xml *.gz *.xz);;All files (*)"},
    {"MSG_GUIDESTATE", "%1 channels, %2 programmes, %3 days; refreshed %4"},
    {"MSG_GUIDENOTREAD", "not read yet"},
    {"MSG_GUIDELASTERROR", "Last error: %1"},
    {"MSG_GUIDEREADING", "Reading %1..."},
    // Scheduled recordings and reminders.
    {"MSG_SCHEDULENOSTART", "The stream did not start before the programme ended."},
    {"MSG_SCHEDULEENDEDEARLY", "The stream ended before the programme did."},
    {"MSG_REMINDERWATCH", "Watch"},
    {"MSG_REMINDERAT", "%1 at %2"},
    {"MSG_RECORDINGSMENU", "Recordings..."},
    {"MSG_RECORDINGS", "Recordings"},
    {"MSG_RECPROGRAMME", "Programme"},
    {"MSG_RECCHANNEL", "Channel"},
    {"MSG_RECSTARTS", "Starts"},
    {"MSG_RECSTATE", "State"},
    {"MSG_RECCANCEL", "Cancel Recording"},
    {"MSG_RECOPENFILE", "Open File"},
    {"MSG_RECNOTE",
     "Recordings and reminders run only while the program is open: it does not wake the "
     "computer or start by itself."},
    {"MSG_RECWHYFAILED", "Why it failed: %1"},
    {"MSG_RECREMINDED", "Reminded"},
    {"MSG_RECMISSED", "Missed"},
    {"MSG_RECREMINDER", "Reminder"},
    {"MSG_RECSERIES", "Every programme of this title"},
    {"MSG_RECSCHEDULED", "Scheduled"},
    {"MSG_RECRECORDING", "Recording"},
    {"MSG_RECFINISHED", "Finished"},
    {"MSG_RECFAILED", "Failed"},
    // The guide window and what it does with a programme.
    {"MSG_GUIDEWINDOW", "Guide"},
    {"MSG_GUIDESHOW", "Show Guide"},
    {"MSG_GUIDENOW", "Now"},
    {"MSG_GUIDESEARCH", "Search titles"},
    {"MSG_GUIDETODAY", "Today"},
    {"MSG_GUIDENOTFOUND", "No programme found"},
    {"MSG_GUIDERECORDSERIES", "Record Series"},
    {"MSG_GUIDEREMIND", "Remind Me"},
    {"MSG_GUIDEFROMSTART", "Play from Start"},
    {"MSG_GUIDEPLAYCHANNEL", "Play Channel"},
    {"MSG_GUIDENORECORDING", "The recording could not be planned."},
    {"MSG_GUIDERECORDING", "Recording planned: %1"},
    {"MSG_GUIDESERIES", "Series planned: %1 recordings"},
    {"MSG_GUIDESOMESERIES", "Some programmes of the series could not be planned."},
    {"MSG_GUIDENOREMINDER", "The reminder could not be planned."},
    {"MSG_GUIDEREMINDER", "Reminder planned: %1"},
    {"MSG_GUIDENOCATCHUP", "This programme cannot be played from its start."},
    {"MSG_GUIDENOSTORE", "The programme guide could not be opened."},
    {"MSG_GUIDENONE", "No programme guide yet: add one with File > Programme Guide..."},
    // What is on now in the channel list, and the guide channel chosen by hand.
    {"MSG_GUIDEONNOW", "On Now"},
    {"MSG_GUIDESPAN", "%1–%2 %3"},
    {"MSG_GUIDENEXT", "Next: %1 %2"},
    {"MSG_GUIDELEFT", "%1 (%2 min left)"},
    {"MSG_GUIDECHANNELMENU", "Guide Channel..."},
    {"MSG_GUIDECHANNEL", "Guide Channel"},
    {"MSG_GUIDECHANNELOF", "Guide channel of %1:"},
    {"MSG_GUIDEFILTER", "Filter"},
    {"MSG_GUIDEAUTOMATIC", "Match Automatically"},
    {"MSG_GUIDEOFFSET", "Move every channel's times by (hours):"},
    {"MSG_RECBEFORE", "Start recordings early by:"},
    {"MSG_RECAFTER", "End recordings late by:"},
    {"MSG_RECLEAD", "Remind me early by:"},
    {"MSG_RECMINUTES", "min"},
    // The channel list's menu: the programme on air and the next.
    {"MSG_RECORDNOWPROGRAMME", "Record Now Playing Programme"},
    {"MSG_RECORDNEXTPROGRAMME", "Record Next Programme"},
    {"MSG_REMINDNEXTPROGRAMME", "Remind Me of Next Programme"},
    // A programme's details in the guide window.
    {"MSG_GUIDERATING", "Rating: %1"},
};

}  // namespace

std::span<const ProgramText> ProgramTexts() {
    return kTexts;
}

std::string_view ProgramTextKey(std::string_view english) {
    static const std::unordered_map<std::string_view, std::string_view> keys = [] {
        std::unordered_map<std::string_view, std::string_view> map;
        for (const ProgramText& text : kTexts)
            map.emplace(text.english, text.key);
        return map;
    }();
    const auto it = keys.find(english);
    return it == keys.end() ? std::string_view() : it->second;
}

}  // namespace quorvel
