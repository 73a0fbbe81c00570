#include "line/json_text.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(JsonTextTest, WhatIsWrittenReadsBackAndWhatIsNoObjectIsRefused) {
  const std::string awkward = "写入完成!!! \"quoted\" back\\slash\nnext\x01";
  const std::string line =
      JsonObject().Add("message", awkward).Add("pages", 1557).AddTenths("seconds", 2.26).Text();
  EXPECT_EQ(line,
            "{\"message\":\"写入完成!!! \\\"quoted\\\" "
            "back\\\\slash\\nnext\\u0001\",\"pages\":1557,\"seconds\":2.3}");
  const std::optional<JsonObject> read = ParseJsonObject(line);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Value("message"), awkward);
  EXPECT_EQ(read->Number("pages"), 1557);
  EXPECT_EQ(read->Value("seconds"), "2.3");
  for (const char* notObject : {"", "Device: ttyUSB0", "{\"a\":", "{\"a\" 1}", "{\"unterminated"}) {
    EXPECT_FALSE(ParseJsonObject(notObject)) << notObject;
  }
}

}  // namespace
}  // namespace quillon
