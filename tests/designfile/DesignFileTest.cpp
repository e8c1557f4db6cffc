#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "designfile/DesignFile.h"
#include "designfile/DriversJson.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr Field AllFields[FieldCount] = {Field::Edit1, Field::Edit2,  Field::Edit3,      Field::Edit4,
                                         Field::Edit5, Field::Edit6,  Field::Edit7,      Field::Edit8,
                                         Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH};

const std::string DefaultDocument = R"({
  "format": "firxover-design",
  "version": 1,
  "rate": 44100,
  "fields": {
    "lowTaps": "901",
    "midTaps": "701",
    "highTaps": "301",
    "lowCutHz": "300",
    "midLowHz": "300",
    "midHighHz": "2000",
    "highCutHz": "2000",
    "shelfF1Hz": "200",
    "shelfF2Hz": "800",
    "attenuationDb": "144",
    "passHz": "300",
    "stopHz": "900"
  },
  "adjust": true,
  "shelfCutDb": 0,
  "logFrequency": true,
  "logLevel": true
}
)";

DesignSettings Parse(const std::string& document) { return ParseDesignFile(document, "d.firxover.json"); }

// The reason of the message that parsing `document` raises.
std::string Refusal(const std::string& document) {
  const std::string text = ErrorText([&] { Parse(document); });
  const std::string prefix = "Cannot open design file 'd.firxover.json': ";
  return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : "unexpected: " + text;
}

// A design document with `members` ("\"adjust\": false, ...") after format and version.
std::string Design(const std::string& members) {
  return R"({"format": "firxover-design", "version": 1)" + (members.empty() ? "" : ", " + members) + "}";
}

TEST(DesignFileTest, StartStateIsTheWindowsDefaultsWrittenInAFixedOrder) {
  const DesignSettings settings;
  for (Field field : AllFields) EXPECT_EQ(settings.Text(field), DefaultText(field)) << FieldName(field);
  EXPECT_EQ(FormatDesignFile(settings), DefaultDocument);
  EXPECT_EQ(Parse(DefaultDocument), settings);
}

TEST(DesignFileTest, EverySettingIsWrittenUnderItsKey) {
  DesignSettings settings;
  settings.Text(Field::Edit1) = "1001";
  settings.Text(Field::Edit9) = "501";
  settings.Text(Field::Edit10) = "201";
  settings.Text(Field::Edit2) = "250";
  settings.Text(Field::Edit5) = "260";
  settings.Text(Field::Edit4) = "2500";
  settings.Text(Field::Edit3) = "2600";
  settings.Text(Field::EditShelbL) = "100";
  settings.Text(Field::EditShelbH) = "400";
  settings.Text(Field::Edit8) = "90";
  settings.Text(Field::Edit6) = "1000";
  settings.Text(Field::Edit7) = "1200";
  settings.adjustChecked = false;
  settings.shelfCutDb = 4;
  settings.logFrequency = false;
  settings.logLevel = false;
  settings.rateHz = 96000;
  const nlohmann::json written = nlohmann::json::parse(FormatDesignFile(settings));
  EXPECT_EQ(written, nlohmann::json::parse(R"({"format": "firxover-design", "version": 1, "rate": 96000,
      "fields": {"lowTaps": "1001", "midTaps": "501", "highTaps": "201", "lowCutHz": "250", "midLowHz": "260",
                 "midHighHz": "2500", "highCutHz": "2600", "shelfF1Hz": "100", "shelfF2Hz": "400",
                 "attenuationDb": "90", "passHz": "1000", "stopHz": "1200"},
      "adjust": false, "shelfCutDb": 4, "logFrequency": false, "logLevel": false})"));
  EXPECT_EQ(Parse(FormatDesignFile(settings)), settings);
}

TEST(DesignFileTest, FieldTextsComeBackByteForByte) {
  const std::string texts[] = {
      "abc", "", " 901 ", "1e3", "0.10", "+300", "-0", "日本語：", "\xF0\x9F\x94\x8A", std::string("9\0" "01", 4),
      "\"quoted\" \\ back", "tab\tnew\nline\rcr", std::string(1, '\x01'), "\x7F", "{\"hex\": \"41\"}",
      // Not UTF-8: a lone byte, a truncated sequence, an overlong slash, a surrogate, beyond U+10FFFF.
      "\xFF", "90\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x82\xA0\x82\xA2 Shift-JIS",
      std::string(5000, '7'),
  };
  for (const std::string& text : texts) {
    for (Field field : AllFields) {
      DesignSettings settings;
      settings.Text(field) = text;
      const DesignSettings read = Parse(FormatDesignFile(settings));
      EXPECT_EQ(read.Text(field), text) << FieldName(field);
      EXPECT_EQ(read, settings);
    }
  }
}

TEST(DesignFileTest, TextsThatAreNotUtf8AreWrittenAsHexAndTheDocumentStaysUtf8) {
  DesignSettings settings;
  settings.Text(Field::Edit1) = "9\xFF\x01";
  settings.Text(Field::Edit2) = "ok";
  const std::string document = FormatDesignFile(settings);
  EXPECT_NE(document.find(R"("lowTaps": {
      "hex": "39ff01"
    },)"),
            std::string::npos)
      << document;
  EXPECT_NE(document.find(R"("lowCutHz": "ok")"), std::string::npos);
  EXPECT_TRUE(IsValidUtf8(document));
  // Either case of hex digits reads; a hex form may also hold well-formed text.
  EXPECT_EQ(Parse(Design(R"("fields": {"lowTaps": {"hex": "39FF01"}, "midTaps": {"hex": "e697a5"}})"))
                .Text(Field::Edit9),
            "日");
  EXPECT_EQ(Parse(Design(R"("fields": {"lowTaps": {"hex": "39FF01"}})")).Text(Field::Edit1), "9\xFF\x01");
  EXPECT_EQ(Parse(Design(R"("fields": {"lowTaps": {"hex": ""}})")).Text(Field::Edit1), "");
}

TEST(DesignFileTest, RandomBytesRoundTripInEveryField) {
  std::mt19937 random(15);
  for (int trial = 0; trial < 300; ++trial) {
    DesignSettings settings;
    for (Field field : AllFields) {
      std::string text(random() % 12, '\0');
      for (char& c : text) c = static_cast<char>(random() % (trial % 2 ? 256 : 128));
      settings.Text(field) = text;
    }
    settings.adjustChecked = random() % 2;
    settings.shelfCutDb = static_cast<int>(random() % 7);
    settings.logFrequency = random() % 2;
    settings.logLevel = random() % 2;
    settings.rateHz = MinSampleRate + static_cast<int>(random() % (MaxSampleRate - MinSampleRate + 1));
    const std::string document = FormatDesignFile(settings);
    ASSERT_EQ(Parse(document), settings) << document;
    EXPECT_EQ(FormatDesignFile(Parse(document)), document);
  }
}

TEST(DesignFileTest, NumbersInPlaceOfTextsReadAsTheirShortestText) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.1", "0.1"},
      {"1e3", "1000"},
      {"901", "901"},
      {"901.0", "901"},
      {"-5", "-5"},
      {"2.5E+2", "250"},
      {"1.5e-7", "1.5e-7"},
      {"1e21", "1e+21"},
      {"0.30000000000000004", "0.30000000000000004"},
      {"0.3000000000000000000001", "0.3"},
      {"-0", "0"},
      {"-0.0", "-0"},
      {"18446744073709551615", "18446744073709551615"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"123456789012345678901234", "1.2345678901234569e+23"},
  };
  for (const auto& [number, text] : cases) {
    EXPECT_EQ(Parse(Design(std::string(R"("fields": {"passHz": )") + number + "}")).Text(Field::Edit6), text)
        << number;
  }
}

TEST(DesignFileTest, MissingKeysKeepTheStartStateAndUnknownKeysAreIgnored) {
  EXPECT_EQ(Parse(Design("")), DesignSettings());
  EXPECT_EQ(Parse(Design(R"("fields": {})")), DesignSettings());
  const DesignSettings read = Parse(Design(
      R"("comment": [1, {"x": null}], "fields": {"midTaps": "501", "lowTap": "1", "LOWTAPS": "2", "extra": [true]},
         "shelfCutDb": 2, "future": {"deep": [[[]]]})"));
  DesignSettings expected;
  expected.Text(Field::Edit9) = "501";
  expected.shelfCutDb = 2;
  EXPECT_EQ(read, expected);
  // A key given twice: the later one counts.
  EXPECT_EQ(Parse(Design(R"("adjust": true, "adjust": false)")).adjustChecked, false);
  // A byte-order mark, CRLF lines and surrounding blanks are still the same document.
  EXPECT_EQ(Parse("\xEF\xBB\xBF \r\n" + Design(R"("logLevel": false)") + "\r\n\t").logLevel, false);
}

TEST(DesignFileTest, SwitchesCutAndRateTakeTheirValues) {
  const DesignSettings read =
      Parse(Design(R"("adjust": false, "logFrequency": false, "logLevel": true, "shelfCutDb": 6, "rate": 48000)"));
  EXPECT_FALSE(read.adjustChecked);
  EXPECT_FALSE(read.logFrequency);
  EXPECT_TRUE(read.logLevel);
  EXPECT_EQ(read.shelfCutDb, 6);
  EXPECT_EQ(read.rateHz, 48000);
  // JSON does not tell 6 from 6.0 or 4.8e4 from 48000: whole values count whatever their spelling.
  EXPECT_EQ(Parse(Design(R"("shelfCutDb": 3.0)")).shelfCutDb, 3);
  EXPECT_EQ(Parse(Design(R"("rate": 4.8e4)")).rateHz, 48000);
  EXPECT_EQ(Parse(Design(R"("rate": 8000)")).rateHz, MinSampleRate);
  EXPECT_EQ(Parse(Design(R"("rate": 768000)")).rateHz, MaxSampleRate);
  EXPECT_EQ(Parse(Design(R"("shelfCutDb": 0)")).shelfCutDb, 0);
  EXPECT_EQ(Parse(R"({"format": "firxover-design", "version": 1.0})"), DesignSettings());
}

TEST(DesignFileTest, WrongTypesAndValuesNameTheKey) {
  const std::pair<std::string, std::string> cases[] = {
      {R"("adjust": "true")", R"("adjust" must be true or false)"},
      {R"("adjust": 1)", R"("adjust" must be true or false)"},
      {R"("logFrequency": null)", R"("logFrequency" must be true or false)"},
      {R"("logLevel": [true])", R"("logLevel" must be true or false)"},
      {R"("shelfCutDb": 7)", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("shelfCutDb": -1)", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("shelfCutDb": 2.5)", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("shelfCutDb": "3")", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("shelfCutDb": true)", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("shelfCutDb": 18446744073709551615)", R"("shelfCutDb" must be a whole number of dB from 0 to 6)"},
      {R"("rate": 7999)", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("rate": 768001)", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("rate": 48000.5)", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("rate": "48000")", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("rate": 1e300)", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("rate": -44100)", R"("rate" must be a whole number of Hz from 8000 to 768000)"},
      {R"("fields": [])", R"("fields" must be an object)"},
      {R"("fields": "901")", R"("fields" must be an object)"},
      {R"("fields": {"lowTaps": null})", R"("fields"."lowTaps" must be a text or a number)"},
      {R"("fields": {"stopHz": true})", R"("fields"."stopHz" must be a text or a number)"},
      {R"("fields": {"midTaps": ["701"]})", R"("fields"."midTaps" must be a text or a number)"},
      {R"("fields": {"passHz": {"text": "1"}})", R"("fields"."passHz" must be a text or a number)"},
      {R"("fields": {"passHz": {"hex": 41}})", R"("fields"."passHz" must be a text or a number)"},
      {R"("fields": {"passHz": {"hex": "41", "x": 1}})", R"("fields"."passHz" must be a text or a number)"},
      {R"("fields": {"passHz": {"hex": "4"}})", R"("fields"."passHz" has a "hex" text that is not pairs of hex digits)"},
      {R"("fields": {"passHz": {"hex": "zz"}})", R"("fields"."passHz" has a "hex" text that is not pairs of hex digits)"},
      {R"("drivers": [])", R"("drivers" must be an object)"},
      {R"("drivers": null)", R"("drivers" must be an object)"},
      {R"("drivers": {"low": 1})", R"("drivers"."low" must be an object)"},
      {R"("drivers": {"mid": {"file": 3}})", R"("drivers"."mid"."file" must be a file name)"},
      {R"("drivers": {"mid": {"file": ""}})", R"("drivers"."mid"."file" must be a file name)"},
      {R"("drivers": {"high": {"delayMs": 1000.5}})", R"("drivers"."high"."delayMs" must be a number of ms from -1000 to 1000)"},
      {R"("drivers": {"high": {"delayMs": "1"}})", R"("drivers"."high"."delayMs" must be a number of ms from -1000 to 1000)"},
      {R"("drivers": {"low": {"trimDb": -100.01}})", R"("drivers"."low"."trimDb" must be a number of dB from -100 to 100)"},
      {R"("drivers": {"low": {"trimDb": 1e400}})", R"(it is not JSON (a number too large for a double))"},
      {R"("drivers": {"low": {"inverted": 1}})", R"("drivers"."low"."inverted" must be true or false)"},
  };
  for (const auto& [members, reason] : cases) EXPECT_EQ(Refusal(Design(members)), reason) << members;
}

TEST(DesignFileTest, VersionsNewerThanThisBuildAreRefusedSayingSo) {
  EXPECT_EQ(Refusal(R"({"format": "firxover-design", "version": 2})"),
            "it was written by a newer firxover (design file version 2; this one reads up to version 1)");
  EXPECT_EQ(Refusal(R"({"format": "firxover-design", "version": 1.5, "fields": 3})"),
            "it was written by a newer firxover (design file version 1.5; this one reads up to version 1)");
  EXPECT_EQ(Refusal(R"({"format": "firxover-design", "version": 99999999999999999999})"),
            "it was written by a newer firxover (design file version 100000000000000000000; this one reads up to "
            "version 1)");
  EXPECT_EQ(Refusal(R"({"format": "firxover-design"})"), R"(it has no "version")");
  for (const char* version : {"0", "-1", "0.5", "\"1\"", "null", "true"}) {
    EXPECT_EQ(Refusal(std::string(R"({"format": "firxover-design", "version": )") + version + "}"),
              R"("version" must be a whole number from 1)")
        << version;
  }
}

TEST(DesignFileTest, DocumentsThatAreNotDesigns) {
  const std::string notDesign = R"(it is not a firxover design (no "format": "firxover-design"))";
  EXPECT_EQ(Refusal("{}"), notDesign);
  EXPECT_EQ(Refusal(R"({"format": "firxover-designs", "version": 1})"), notDesign);
  EXPECT_EQ(Refusal(R"({"format": "FIRXOVER-DESIGN", "version": 1})"), notDesign);
  EXPECT_EQ(Refusal(R"({"format": 1, "version": 1})"), notDesign);
  EXPECT_EQ(Refusal(R"({"version": 1, "fields": {}})"), notDesign);
  for (const char* document : {"[]", "\"firxover-design\"", "901", "null", "true"}) {
    EXPECT_EQ(Refusal(document), "it is not a firxover design (not a JSON object)") << document;
  }
}

TEST(DesignFileTest, TextThatIsNotJson) {
  EXPECT_EQ(Refusal(""), "the file is empty");
  EXPECT_EQ(Refusal("{\n  \"format\": \"firxover-design\",\n  \"version\": 1,\n}"),
            "it is not JSON (line 4, column 1: syntax error while parsing object key - unexpected '}'; expected "
            "string literal)");
  EXPECT_EQ(Refusal("{\"format\""), "it is not JSON (line 1, column 10: syntax error while parsing object separator - "
                                    "unexpected end of input; expected ':')");
  EXPECT_EQ(Refusal("lowTaps = 901"),
            "it is not JSON (line 1, column 1: syntax error while parsing value - invalid literal)");
  EXPECT_EQ(Refusal(Design("") + " {}"),
            "it is not JSON (line 1, column 45: syntax error while parsing value - unexpected '{'; expected end of "
            "input)");
  EXPECT_EQ(Refusal(Design(R"("rate": 1e400)")), "it is not JSON (a number too large for a double)");
  EXPECT_EQ(Refusal(Design(R"("fields": {"lowTaps": "\ud800"}})")).substr(0, 30), "it is not JSON (line 1, column");
  // Comments are not JSON.
  EXPECT_EQ(Refusal("// design\n" + Design("")).substr(0, 16), "it is not JSON (");
}

TEST(DesignFileTest, BinaryDataAndOtherEncodings) {
  EXPECT_EQ(Refusal(std::string("\0\0\0\0", 4)), "it holds binary data, not JSON text (byte 0 at offset 0)");
  EXPECT_EQ(Refusal("\x89PNG\r\n\x1A\n"), "it is not UTF-8 text (byte 137 at offset 0)");
  EXPECT_EQ(Refusal(Design("") + std::string(1, '\0')), "it holds binary data, not JSON text (byte 0 at offset 43)");
  EXPECT_EQ(Refusal(Design(R"("fields": {"lowTaps": "caf)" "\xE9" R"("})")),
            "it is not UTF-8 text (byte 233 at offset 70)");
  // UTF-16 with its byte-order mark.
  EXPECT_EQ(Refusal("\xFF\xFE{\0}\0"), "it is not UTF-8 text (byte 255 at offset 0)");
  EXPECT_EQ(Refusal("{\"format\":\x1B}"), "it holds binary data, not JSON text (byte 27 at offset 10)");
}

TEST(DesignFileTest, NestingIsLimited) {
  const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_EQ(Refusal(nested(MaxDesignFileDepth + 1)), "its JSON is nested deeper than 64 levels");
  EXPECT_EQ(Refusal(nested(200000)), "its JSON is nested deeper than 64 levels");
  EXPECT_EQ(Refusal(nested(MaxDesignFileDepth)), "it is not a firxover design (not a JSON object)");
  // Brackets inside texts, escaped quotes included, do not count.
  const std::string brackets = "\\\"" + std::string(100, '[');
  EXPECT_EQ(Parse(Design(R"("fields": {"lowTaps": ")" + brackets + "\"}")).Text(Field::Edit1),
            "\"" + std::string(100, '['));
  // Driver settings reaching the limit exactly are read (the unknown key ignored): the document,
  // "drivers", then 62 arrays.
  const auto drivers = [&](int arrays) { return Design(R"("drivers": {"a": )" + nested(arrays) + "}"); };
  EXPECT_EQ(Parse(drivers(MaxDesignFileDepth - 2)).drivers, DriverSetups{});
  EXPECT_EQ(Refusal(drivers(MaxDesignFileDepth - 1)), "its JSON is nested deeper than 64 levels");
}

TEST(DesignFileTest, DriverSettingsReadAndWritten) {
  const std::string document = Design(
      R"("drivers": {"mid": {"file": "mid dome.frd", "delayMs": 0.125, "inverted": true, "x": 1},
                     "low": {"trimDb": -1.5}, "side": {"file": 2}})");
  const DesignSettings read = ParseDesignFile(document, "designs/two way.firxover.json");
  ASSERT_TRUE(read.drivers.has_value());
  DriverSetups expected;
  expected[0].TrimDb = -1.5;
  expected[1] = DriverSetup{"designs/mid dome.frd", 0.125, Polarity::Inverted, 0.0};
  EXPECT_EQ(*read.drivers, expected);
  // Written back beside the same directory: every way, every key, the file relative again.
  const std::string written = FormatDesignFile(read, "designs");
  EXPECT_NE(written.find(R"("logLevel": true,
  "drivers": {
    "low": {
      "delayMs": 0.0,
      "inverted": false,
      "trimDb": -1.5
    },
    "mid": {
      "file": "mid dome.frd",
      "delayMs": 0.125,
      "inverted": true,
      "trimDb": 0.0
    },
    "high": {
      "delayMs": 0.0,)"),
            std::string::npos)
      << written;
  EXPECT_EQ(ParseDesignFile(written, "designs/copy.json"), read);
  EXPECT_FALSE(Parse(Design("")).drivers.has_value());
  EXPECT_EQ(FormatDesignFile(Parse(Design(""))).find("drivers"), std::string::npos);
}

TEST(DesignFileTest, DriverPathsRelativeToTheDesign) {
  // Stored relative to the design's directory, resolved against it when read.
  EXPECT_EQ(StoredDriverPath("/data/speaker/drivers/w.frd", "/data/speaker/designs"), "../drivers/w.frd");
  EXPECT_EQ(StoredDriverPath("/data/speaker/w.frd", "/data/speaker/"), "w.frd");
  EXPECT_EQ(StoredDriverPath("/data/./speaker/../w.frd", "/data/speaker"), "../w.frd");
  EXPECT_EQ(ResolvedDriverPath("../drivers/w.frd", "/data/speaker/designs"), "/data/speaker/drivers/w.frd");
  EXPECT_EQ(ResolvedDriverPath("/abs/w.frd", "/data"), "/abs/w.frd");
  // Without a directory paths stand as they are, only tidied.
  EXPECT_EQ(StoredDriverPath("a/../b/w.frd", ""), "b/w.frd");
  EXPECT_EQ(ResolvedDriverPath("b/./w.frd", ""), "b/w.frd");
  // A relative file and a relative directory meet through the current directory.
  EXPECT_EQ(StoredDriverPath("drivers/w.frd", "designs"), "../drivers/w.frd");
  for (const std::string file : {"/x/y/z.frd", "/x/z.frd", "/z.frd", "/x/y/q/r/z.frd"})
    EXPECT_EQ(ResolvedDriverPath(StoredDriverPath(file, "/x/y"), "/x/y"), file) << file;
}

TEST(DesignFileTest, DriversJsonRoundTrip) {
  // What the window's dialog keeps: settings to the object and back, in one directory or moved.
  DriverSetups setups;
  setups[0] = DriverSetup{"/m/drivers/w.frd", -2.5, Polarity::Normal, 3.25};
  setups[2] = DriverSetup{"/other/t.txt", 1000, Polarity::Inverted, -100};
  const nlohmann::ordered_json json = DriversToJson(setups, "/m/designs");
  EXPECT_EQ(json["low"]["file"], "../drivers/w.frd");
  EXPECT_EQ(json["high"]["file"], "../../other/t.txt");
  EXPECT_FALSE(json["mid"].contains("file"));
  EXPECT_EQ(DriversFromJson(json, "/m/designs"), setups);
  // Read from a copy of the document in another directory, the relative files move with it.
  const DriverSetups moved = DriversFromJson(json, "/n/designs");
  EXPECT_EQ(moved[0].File, "/n/drivers/w.frd");
  EXPECT_EQ(DriversFromJson(nlohmann::ordered_json::object(), "/m"), DriverSetups{});
}

// Files on disk: the size limit, what is not a regular file, and the system's reasons.
class DesignFileOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("firxover-designfile-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::filesystem::path Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = directory_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string ReadError(const std::filesystem::path& path) {
    return ErrorText([&] { ReadDesignFile(path); });
  }

  std::filesystem::path directory_;
};

TEST_F(DesignFileOnDiskTest, ReadsADesign) {
  DesignSettings settings;
  settings.Text(Field::Edit1) = "1201";
  settings.shelfCutDb = 3;
  EXPECT_EQ(ReadDesignFile(Write("a.firxover.json", FormatDesignFile(settings))), settings);
}

TEST_F(DesignFileOnDiskTest, SizeLimitIsOneMegabyte) {
  const std::string document = Design(R"("shelfCutDb": 5)");
  const std::string padded = document + std::string(MaxDesignFileBytes - document.size(), ' ');
  EXPECT_EQ(ReadDesignFile(Write("limit.json", padded)).shelfCutDb, 5);
  const std::filesystem::path over = Write("over.json", padded + " ");
  EXPECT_EQ(ReadError(over), "Cannot open design file '" + over.string() +
                                 "': it is larger than 1 MB (1048576 bytes), too large for a design file");
}

TEST_F(DesignFileOnDiskTest, MissingDirectoriesAndSpecialFilesNameThePath) {
  const std::filesystem::path missing = directory_ / "missing.firxover.json";
  EXPECT_EQ(ReadError(missing), "Cannot open design file '" + missing.string() + "': No such file or directory");
  EXPECT_EQ(ReadError(directory_), "Cannot open design file '" + directory_.string() + "': Is a directory");
  const std::filesystem::path fifo = directory_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No writer ever opens it: a blocking open would never return.
  EXPECT_EQ(ReadError(fifo), "Cannot open design file '" + fifo.string() + "': it is not a regular file");
  EXPECT_EQ(ReadError("/dev/null"), "Cannot open design file '/dev/null': it is not a regular file");
  const std::filesystem::path empty = Write("empty.json", "");
  EXPECT_EQ(ReadError(empty), "Cannot open design file '" + empty.string() + "': the file is empty");
  // A link to a design reads as the design.
  const std::filesystem::path target = Write("target.json", Design(R"("logLevel": false)"));
  std::filesystem::create_symlink(target, directory_ / "link.json");
  EXPECT_FALSE(ReadDesignFile(directory_ / "link.json").logLevel);
  if (::geteuid() != 0) {
    ::chmod(target.c_str(), 0);
    EXPECT_EQ(ReadError(target), "Cannot open design file '" + target.string() + "': Permission denied");
  }
}

}  // namespace
