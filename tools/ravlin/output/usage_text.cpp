#include "usage_text.h"

#include <stdio.h>
#include <string.h>

#include "failure_message.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

// Lines of the policy legend start with eight blanks and a tab.
const char kUsageText[] =
    "Usage:  ravlin query adapter [<n>] [-a] [-itype <iscsi/fc>]\n"
    "        ravlin query device  [<n>]/[<m> <n>] [-d <device_model>] [-i <x>/(<x> <y>)] [-s] [-c] [-a] "
    "[-tpgs] [-itype <iscsi/fc>] [-k] \n"
    "        ravlin query adaptstats [<n>]\n"
    "        ravlin query devstats [<n>]/[<m> <n>] [-d <device_model>] [-i <x>/(<x> <y>)] [-c]\n"
    "        ravlin query wwpn \n"
    "        ravlin query port \n"
    "        ravlin query version \n"
    "        ravlin set adapter <n> online/offline/pathcountref\n"
    "        ravlin set device <n> path <m> online/offline\n"
    "        ravlin set device <n> path <m> preferred <0/1>\n"
    "        ravlin set device <n>/(<m> <n>) policy fo/lb/sqst/lqd/lbytes/rr/rrss/df <optNodes/allNodes>\n"
    "        \tfo     - failover(no load balance)\n"
    "        \tlb     - least number of I/O and adapter weight\n"
    "        \tsqst   - shortest queue service time\n"
    "        \tlqd    - least queue depth\n"
    "        \tlbytes - least bytes\n"
    "        \trr     - round robin\n"
    "        \trrss   - round robin with subset\n"
    "        \tdf     - default(uses lb)\n"
    "        \t\n"
    "        \tsqst, lqd, lbytes policies should add node selection scope:\n"
    "        \toptNodes : IO will routed to paths on optimized nodes\n"
    "        \tallNodes : IO will routed to paths on all nodes\n"
    "        \t\n"
    "        ravlin rescanhw [<n>] \n"
    "        ravlin set performance [on/off]/[device <n>]\n"
    "        ravlin clear device <n>/(<m> <n>) count error/all\n"
    "        Examples of valid device model include:\n"
    "         QVR    - Displays all QVR devices\n"
    "         TK70500    - Displays all TK70500 devices\n";

namespace {


// Holds the longer of the two assembled texts and its terminator.
constexpr size_t kAssembledSize = sizeof msg::INVALID_ARGUMENT - 1 + sizeof kUsageText;
char g_assembled[kAssembledSize];

const char* assemble(const char* header) {
    snprintf(g_assembled, sizeof g_assembled, "%s%s", header, kUsageText);
    return g_assembled;
}

}  // namespace

const char* invalid_command_text() { return assemble(msg::INVALID_COMMAND); }

const char* invalid_argument_text() { return assemble(msg::INVALID_ARGUMENT); }

void print_invalid_command() {
    print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(INVALID_COMMAND), invalid_command_text(), "\n"));
}

void print_invalid_argument() {
    // A document carries the error's name; the usage is for people.
    if (g_settings.json_output) {
        keep_failure_message("Invalid argument");
        return;
    }
    print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(INVALID_ARGUMENT), invalid_argument_text(), "\n"));
}
