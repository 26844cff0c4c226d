#include "host/command_errors.h"

namespace vhost {

int WithExitCode(std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const InterruptedError& e) {
        err << "\nvelmorande-host: " << e.what() << '\n';
        return 130;
    } catch (const UsageError& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 1;
    }
}

} // namespace vhost
