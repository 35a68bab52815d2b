#pragma once
// Whether the filter may show a dialog: only inside a program that runs a Qt widget
// application, and only on that application's own thread. Hosts without a user interface
// (the command-line tool, tests) get the answers a cancelled dialog gives.

namespace quillon::filefilter {

bool canShowDialogs();

} // namespace quillon::filefilter
