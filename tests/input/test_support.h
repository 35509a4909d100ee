// Helpers of the reader tests: fixture paths and exception checks that look at
// the exception's exact type and message.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "input/data_reader.h"

namespace talvex::testing {

inline std::string Fixture(const std::string& name) {
  return std::string(TALVEX_TEST_DATA) + "/" + name;
}

/// Runs `action` and checks that it raises exactly E with `message`.
template <typename E, typename F>
void ExpectThrowMessage(F&& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(typeid(e), typeid(E));
    EXPECT_EQ(e.Message(), message);
  } catch (const Exception& e) {
    ADD_FAILURE() << "other exception (" << typeid(e).name() << "): " << e.Message();
  }
}

}  // namespace talvex::testing
