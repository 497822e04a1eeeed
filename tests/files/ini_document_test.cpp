// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ini_document.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace kova {
namespace {

// A value as the profile reader gives it: the fallback ("-") when the section
// or key is missing, "" for an empty value, at most 2047 characters.
TEST(IniDocument, FindsValuesByTheProfileRules) {
  const std::vector<std::tuple<std::string, const char*, const char*, std::string>> cases{
      {"[\xC9tat]\nCl\xC9=1\n", "\xE9tat", "cl\xE9", "1"},  // names ignore case, Latin-1 too
      {"[S]\nK=a=b\n", "S", "K", "a=b"},                    // the first = splits
      {"[ S ]\n\t K  =  v w \n", "S", "K", "v w"},          // blanks around do not count
      {"[S]\nOther=1\n[T]\nK=1\nK=2\n", "S", "K", "-"},     // another section's key
      {"K=1\n[S]\n", "S", "K", "-"},                        // before any section
      {"[S]\n;K=1\n  ; K=2\nK\nK=3\n", "S", "K", "3"},      // comments, a line without =
      {"[S]\nA=1\n[s]\nK=2\n", "S", "K", "-"},              // the first section counts
      {"[S]\nK=1\nK=2", "S", "K", "1"},                     // the first key counts
      {"\xEF\xBB\xBF[S]\r\r\nK=\xE9\x80\x01z\r\r\n", "S", "K", "\xE9\x80\x01z"},  // bytes as is
      {"[T]\rK=1\r[S]\rK=2\r", "S", "K", "2"},  // CR alone ends a line where no LF does
      {"[S]\nK=" + std::string(3000, 'x') + "\n", "S", "K", std::string(2047, 'x')},
      {"[S]\nK=\n", "S", "K", ""},
  };
  for (const auto& [text, section, key, expected] : cases)
    EXPECT_EQ(ProfileValue(IniDocument(text), section, key, "-"), expected) << text;
}

TEST(IniDocument, WritesInPlaceOrAtTheEndOfTheSectionOrFileAndKeepsTheRest) {
  const std::vector<std::tuple<std::string, const char*, const char*, const char*, std::string>>
      cases{
          {"[S]\nA=1\n; about T\n\n[T]\nB=2\n", "S", "C", "3",
           "[S]\nA=1\nC=3\n; about T\n\n[T]\nB=2\n"},
          {"[S]\n\n[T]\n", "S", "K", "v", "[S]\nK=v\n\n[T]\n"},
          {"[S]\nA=1", "S", "B", "2", "[S]\nA=1\nB=2\n"},
          {"; x\n[S]\nA=1\r\n", "T", "K", "v", "; x\n[S]\nA=1\r\n[T]\nK=v\n"},  // first line's end
          {"[S]\r\nA=1", "T", "K", "v", "[S]\r\nA=1\r\n[T]\r\nK=v\r\n"},
          {"", "S", "K", "a\nb", "[S]\r\nK=a b\r\n"},  // a new file is CR LF; a value is one line
          {"; x\n[S]\r\nA=1\r\n", "S", "B", "2", "; x\n[S]\r\nA=1\r\nB=2\r\n"},  // the body's
          {"[S]\rA=1", "T", "K", "v", "[S]\rA=1\r[T]\rK=v\r"},
          {"[S]\n Port = 1 \r\n", "S", "port", "6", "[S]\n Port = 6\r\n"},  // in place
      };
  for (const auto& [before, section, key, value, after] : cases) {
    IniDocument ini(before);
    ini.Set(section, key, value);
    EXPECT_EQ(ini.Text(), after) << before;
  }
  for (const std::string text : {"", "\r\n\n", "\xEF\xBB\xBF[S]\nK=1", "a\rb\r\n[\n]\n=x\n[T]\r"})
    EXPECT_EQ(IniDocument(text).Text(), text);
}

}  // namespace
}  // namespace kova
