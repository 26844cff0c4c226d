// velmorande-host validate: a battery of tests for any VST 2.x library.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vhost::validate {

// The arguments after `validate`. Exit code 0 when every test passes, 1 when one fails,
// 2 on a usage error.
int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vhost::validate
