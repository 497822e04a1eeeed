#include "files/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kova {
namespace {

struct FindCase {
  const char* what;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(IniDocument, FindsValuesByTheProfileRules) {
  const std::vector<FindCase> cases{
      {"names ignore case", "[COMMS]\r\nport=3\r\n", "Comms", "Port", "3"},
      {"Latin-1 letters fold too", "[\xC9tat]\nCl\xC9=1\n", "\xE9tat", "cl\xE9", "1"},
      {"the first = splits", "[S]\nK=a=b\n", "S", "K", "a=b"},
      {"blanks around names and value", "[ S ]\n\t K  =  v w \n", "S", "K", "v w"},
      {"empty value", "[S]\nK=\n", "S", "K", ""},
      {"missing key", "[S]\nOther=1\n", "S", "K", std::nullopt},
      {"missing section", "[T]\nK=1\n", "S", "K", std::nullopt},
      {"key of another section", "[S]\n[T]\nK=1\n", "S", "K", std::nullopt},
      {"keys before any section", "K=1\n[S]\n", "S", "K", std::nullopt},
      {"comment lines", "[S]\n;K=1\n  ; K=2\nK=3\n", "S", "K", "3"},
      {"the first section counts", "[S]\nA=1\n[S]\nK=2\n", "S", "K", std::nullopt},
      {"the first key counts", "[S]\nK=1\nK=2\n", "S", "K", "1"},
      {"a line without = is no key", "[S]\nK\nK=5\n", "S", "K", "5"},
      {"a last line without ending", "[S]\nK=7", "S", "K", "7"},
      {"a stray CR before the feed", "[S]\r\r\nK=8\r\r\n", "S", "K", "8"},
      {"a byte order mark", "\xEF\xBB\xBF[S]\nK=9\n", "S", "K", "9"},
      {"bytes are not decoded", "[S]\nK=\xE9\x80\x01z\n", "S", "K", "\xE9\x80\x01z"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniDocument(c.text).Find(c.section, c.key), c.expected) << c.what;
  }
}

TEST(IniDocument, ProfileValueGivesTheDefaultOrCutsTo2047) {
  const std::string longValue(3000, 'x');
  const IniDocument ini("[S]\nLong=" + longValue + "\nEmpty=\n");
  EXPECT_EQ(ProfileValue(ini, "S", "Long", ""), std::string(2047, 'x'));
  EXPECT_EQ(ProfileValue(ini, "S", "Empty", "4"), "");
  EXPECT_EQ(ProfileValue(ini, "S", "Missing", "4"), "4");
  EXPECT_EQ(ProfileValue(ini, "None", "Long", "d"), "d");
}

TEST(IniDocument, KeepsEveryByteWhenNothingIsWritten) {
  const std::vector<std::string> texts{
      "",
      "\r\n\n",
      "; note\r\n[S]\r\n  K = v \r\nno equals here\n\n[T]\r",
      "\xEF\xBB\xBF[S]\nK=1",
      "a\rb\r\n[\n]\n=x\n",
  };
  for (const auto& text : texts)
    EXPECT_EQ(IniDocument(text).Text(), text);
}

struct SetCase {
  const char* what;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

TEST(IniDocument, WritesInPlaceOrAtTheEndOfTheSectionOrFile) {
  const std::vector<SetCase> cases{
      {"replace keeps spelling and spacing", "[s]\r\n; c\r\n  KEY \t=  old  \r\n[T]\r\n", "S",
       "Key", "new", "[s]\r\n; c\r\n  KEY \t=  new\r\n[T]\r\n"},
      {"new key after the section's last key", "[S]\nA=1\n; about T\n\n[T]\nB=2\n", "S", "C", "3",
       "[S]\nA=1\nC=3\n; about T\n\n[T]\nB=2\n"},
      {"new key in an empty section", "[S]\n\n[T]\n", "S", "K", "v", "[S]\nK=v\n\n[T]\n"},
      {"new key in the last section without ending", "[S]\nA=1", "S", "B", "2", "[S]\nA=1\nB=2\n"},
      {"new section at the end, LF kept", "; x\n[S]\nA=1\n", "T", "K", "v",
       "; x\n[S]\nA=1\n[T]\nK=v\n"},
      {"new section after a last line without ending", "[S]\r\nA=1", "T", "K", "v",
       "[S]\r\nA=1\r\n[T]\r\nK=v\r\n"},
      {"a new file is CR LF", "", "S", "K", "v", "[S]\r\nK=v\r\n"},
      {"the first line's ending is the file's", "[S]\nA=1\r\n", "T", "K", "v",
       "[S]\nA=1\r\n[T]\nK=v\n"},
      {"a value is one line", "", "S", "K", "a\nb", "[S]\r\nK=a b\r\n"},
      {"only the first of two keys", "[S]\nK=1\nK=2\n", "S", "K", "3", "[S]\nK=3\nK=2\n"},
  };
  for (const auto& c : cases) {
    IniDocument ini(c.before);
    ini.Set(c.section, c.key, c.value);
    EXPECT_EQ(ini.Text(), c.after) << c.what;
  }
}

TEST(IniDocument, ReadsBackWhatItWrote) {
  IniDocument ini("[A]\nX=1\n");
  ini.Set("B", "Y", " spaced ");
  ini.Set("a", "Z", "2");
  ini.Set("A", "x", "3");
  EXPECT_EQ(ini.Find("A", "X"), "3");
  EXPECT_EQ(ini.Find("A", "Z"), "2");
  EXPECT_EQ(ini.Find("b", "y"), "spaced");
  EXPECT_EQ(IniDocument(ini.Text()).Text(), ini.Text());
}

}  // namespace
}  // namespace kova
