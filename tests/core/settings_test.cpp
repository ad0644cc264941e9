#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/properties.h"
#include "core/settings.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

namespace vemo::core {
namespace {

TEST(Properties, SeparatorsBlanksAndComments) {
    auto t = parseProperties(
        "# a comment\n"
        "   ! another\n"
        "\n"
        "COMPort=COM3\n"
        "  VCRType : LX1\n"
        "UserNote Studio B  \n"
        "Verbose:\tYES\r\n"
        "StopOnExit=\r"
        "Lonely\n"
        "Dup=first\n"
        "Dup=second\n"
        "dup=lower\n");
    EXPECT_EQ(t.entries["COMPort"], "COM3");
    EXPECT_EQ(t.entries["VCRType"], "LX1");
    EXPECT_EQ(t.entries["UserNote"], "Studio B  ");  // trailing blanks kept
    EXPECT_EQ(t.entries["Verbose"], "YES");
    EXPECT_EQ(t.entries["StopOnExit"], "");
    EXPECT_EQ(t.entries["Lonely"], "");
    EXPECT_EQ(t.entries["Dup"], "second");
    EXPECT_EQ(t.entries["dup"], "lower");
    EXPECT_EQ(t.entries.count("#"), 0u);
    EXPECT_TRUE(t.problems.empty());
}

TEST(Properties, ContinuationsAndEscapes) {
    auto t = parseProperties(
        "Note = first \\\n"
        "        second\\\n"
        "   # not a comment here\n"
        "Esc = tab\\there\\nnl \\\\ back \\= eq\n"
        "Uni = \\u00e9t\\u00C9\n"
        "Key\\ with\\ blanks = v\n"
        "Bad = \\u12G4 end\n"
        "Short = \\u12\n"
        "Run = a\\\\\\\n"
        "\\\\\\\n"
        "  b\n");
    EXPECT_EQ(t.entries["Note"], "first second# not a comment here");
    EXPECT_EQ(t.entries["Esc"], "tab\there\nnl \\ back = eq");
    EXPECT_EQ(t.entries["Uni"], "\xC3\xA9t\xC3\x89");
    EXPECT_EQ(t.entries["Key with blanks"], "v");
    EXPECT_EQ(t.entries["Bad"], "u12G4 end");
    EXPECT_EQ(t.entries["Short"], "u12");
    // Backslash pairs across joined lines: each line's odd last one continues it.
    EXPECT_EQ(t.entries["Run"], "a\\\\b");
    EXPECT_EQ(t.problems.size(), 2u);
}

TEST(Properties, Latin1BytesBecomeUtf8) {
    auto t = parseProperties(std::string("UserNote=Caf\xE9 \xFC\n"));
    EXPECT_EQ(t.entries["UserNote"], "Caf\xC3\xA9 \xC3\xBC");
}

class SettingsFile : public ::testing::Test {
  protected:
    std::string path() const { return dir.file("VemoSettings.txt").string(); }
    std::string load(const std::string& text) {
        dir.write("VemoSettings.txt", text);
        return read();
    }
    std::string read() {
        test::StdoutCapture capture;
        SettingsRead r = GetProps(path());
        result = r.result;
        s = r.settings;
        showprops(s);
        return capture.finish();
    }
    test::TempDir dir;
    PropsResult result = PropsResult::ok;
    Settings s;
};

constexpr const char* kLX1File =
    "COMPort=COM1\nVCRType=LX1\nUserNote=Studio B\nVerbose=NO\nUseClipboard=NO\n"
    "StopOnExit=YES\nInitialize=YES\nFinalize=YES\nRECMode=Title\nAutoChapter=NO\n";

TEST_F(SettingsFile, CompleteLX1FileEchoesEveryLine) {
    std::string log = load(kLX1File);
    EXPECT_EQ(result, PropsResult::ok);
    EXPECT_EQ(log,
              " \n"
              "COM Port         = COM1\n"
              "VCR Type         = LX1\n"
              "User Note        = Studio B\n"
              "Use Clipboard    = NO\n"
              "Stop On Exit     = YES\n"
              "Verbose          = NO\n"
              "Initialize Disk  = YES\n"
              "Finalize Disk    = YES\n"
              "Record Mode      = Title\n"
              "AutoChapter      = NO\n");
    EXPECT_TRUE(s.lx1);
    EXPECT_FALSE(s.recon);
    EXPECT_EQ(s.PRString, "00:00:05:00");
    EXPECT_TRUE(s.stoponexit);
    EXPECT_FALSE(s.onetitle);
}

TEST_F(SettingsFile, WordsIgnoreCaseAndNoteIsCut) {
    load(
        "COMPort=/dev/ttyUSB0\nVCRType=lx1\nUserNote=ABCDEFGHIJKLMNOP\nVerbose=yes\n"
        "UseClipboard=Yes\nStopOnExit=no\nFinalize=no\nInitialize=nO \nRECMode=pause\n"
        "AutoChapter=YES\n");
    EXPECT_TRUE(s.lx1);
    EXPECT_EQ(s.VCRType, "lx1");
    EXPECT_EQ(s.note, "ABCDEFGHIJKL");
    EXPECT_TRUE(s.verbose);
    EXPECT_TRUE(s.useclipboard);
    EXPECT_FALSE(s.stoponexit);  // "NO" turns stopping off
    EXPECT_FALSE(s.finalize);
    EXPECT_TRUE(s.initialize);  // "nO " has a blank: not the word
    EXPECT_TRUE(s.onetitle);
    EXPECT_TRUE(s.autochapter);
    EXPECT_EQ(s.comport1, "/dev/ttyUSB0");
}

TEST_F(SettingsFile, TwelveCharacterNoteStaysWholeAndCutCountsCharacters) {
    load("UserNote=ABCDEFGHIJKL\n");
    EXPECT_EQ(s.note, "ABCDEFGHIJKL");
    load(std::string("UserNote=\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\n"));
    EXPECT_EQ(s.note.size(), 24u);  // twelve two-byte characters
}

TEST_F(SettingsFile, LancAndPlainDecks) {
    std::string log = load("VCRType=LANC\nFinalize=NO\n");
    EXPECT_TRUE(s.lanc);
    EXPECT_FALSE(s.lx1);
    EXPECT_FALSE(s.recon);
    EXPECT_TRUE(s.finalize);  // LX1 keys are not read for other decks
    EXPECT_EQ(log.find("Initialize Disk"), std::string::npos);
    load("VCRType=Betacam\n");
    EXPECT_FALSE(s.lanc || s.lx1 || s.recon);
}

TEST_F(SettingsFile, ReconShowsFixedValues) {
    std::string log = load("VCRType=RECON\nAutoChapter=YES\n");
    EXPECT_TRUE(s.recon);
    EXPECT_FALSE(s.autochapter);
    EXPECT_NE(log.find("Compression      = 4\nVideoMode        = NTSC\nVideoType        = COMP\n"
                       "LoopRecMode      = NO\nLoopPlayMode     = NO\n"),
              std::string::npos);
}

TEST_F(SettingsFile, MissingKeysKeepInitialValues) {
    std::string log = load("COMPort=COM2\n");
    EXPECT_EQ(result, PropsResult::ok);
    EXPECT_EQ(s.VCRType, "LX1");
    EXPECT_TRUE(s.lx1);
    EXPECT_TRUE(s.stoponexit);
    EXPECT_NE(log.find("Use Clipboard    = null\n"), std::string::npos);
    EXPECT_EQ(log.find("Settings File Problem"), std::string::npos);
}

TEST_F(SettingsFile, UnreadableFileIsAProblemAndStartUpGoesOn) {
    std::filesystem::create_directory(dir.file("VemoSettings.txt"));
    std::string log = read();
    EXPECT_EQ(result, PropsResult::problem);
    EXPECT_EQ(log,
              "Settings File Problem\n"
              " \n"
              "COM Port         = COM1\n"
              "VCR Type         = LX1\n"
              "User Note        = \n"
              "Use Clipboard    = null\n"
              "Stop On Exit     = null\n"
              "Verbose          = null\n");
}

TEST_F(SettingsFile, MissingFileIsReported) {
    test::StdoutCapture capture;
    EXPECT_EQ(GetProps(path()).result, PropsResult::missing);
    EXPECT_EQ(capture.finish(), "No Settings File found!\n");
}

TEST_F(SettingsFile, AuxiliaryPortKey) {
    std::string log = load("VCRType=TAPE\nMCSPort=/dev/ttyS1\n");
    EXPECT_TRUE(s.mcs);
    EXPECT_EQ(s.comport2, "/dev/ttyS1");
    EXPECT_NE(log.find("MCS Port         = /dev/ttyS1\n"), std::string::npos);
    load("MCSPort=\n");
    EXPECT_FALSE(s.mcs);
}

TEST_F(SettingsFile, FrameRateAndEdlKeysAreEchoedOnlyWhenSet) {
    std::string log = load("VCRType=TAPE\n");
    EXPECT_EQ(s.frameRate, FrameRate::Fps30);
    EXPECT_FALSE(s.skipAudioOnly || s.skipZeroLength || s.reelChanges);
    EXPECT_EQ(log.find("Frame Rate"), std::string::npos);

    log = load("FrameRate=29.97df\nSkipAudioOnly=yes\nSkipZeroLength=YES\nReelChanges=NO\n");
    EXPECT_EQ(s.frameRate, FrameRate::Df2997);
    EXPECT_TRUE(s.skipAudioOnly);
    EXPECT_TRUE(s.skipZeroLength);
    EXPECT_FALSE(s.reelChanges);
    EXPECT_NE(log.find("Frame Rate       = 29.97df\n"
                       "Skip Audio Only  = yes\n"
                       "Skip Zero Length = YES\n"
                       "Reel Changes     = NO\n"),
              std::string::npos);

    log = load("FrameRate=24\n");
    EXPECT_EQ(s.frameRate, FrameRate::Fps30);
    EXPECT_NE(log.find("Frame Rate       = 24 (not a known rate: 30 used)\n"), std::string::npos);
}

TEST_F(SettingsFile, ServerKeysAreEchoedOnlyWhenSet) {
    std::string log = load("VCRType=TAPE\n");
    EXPECT_EQ(log.find("Server"), std::string::npos);
    EXPECT_EQ(s.socketport, 2001);
    EXPECT_FALSE(s.serveraddressset);
    log = load(
        "VCRType=TAPE\nServerPort=2002\nServerIdleTimeout=600\nServerAllow=10.0.0.0/8\n"
        "ServerAddress=\n");
    EXPECT_EQ(s.socketport, 2002);
    EXPECT_TRUE(s.serveraddressset);
    EXPECT_NE(log.find("Server Port      = 2002\nServer Timeout   = 600\n"
                       "Server Allow     = 10.0.0.0/8\n"),
              std::string::npos)
        << log;
    for (const char* bad : {"20x1", "0", "65536", "80 "}) {
        load(std::string("ServerPort=") + bad + "\n");
        EXPECT_EQ(s.socketport, 2001) << bad;  // the server refuses to start on it
        EXPECT_EQ(s.ServerPort, bad);
    }
}

}  // namespace
}  // namespace vemo::core
