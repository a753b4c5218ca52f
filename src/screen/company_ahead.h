// The company opened ahead: while the window is being built, a second thread
// reads the INI file and opens the company's file and its tables as Form_Load
// opens them. Form_Load takes what it opened when the INI file still names the
// same company and nothing needed a word with the operator; otherwise Form_Load
// opens the company itself, with its boxes, as it always does. A company on a
// server is left to Form_Load: its boxes may ask while it connects.
#pragma once

#include "shell/session.h"
#include "store/tables/tables.h"

#include <optional>
#include <thread>

namespace screen {

class CompanyAhead {
public:
    // Starts the second thread.
    CompanyAhead();
    // Waits for it; what it opened and nobody took is closed.
    ~CompanyAhead();
    CompanyAhead(const CompanyAhead&) = delete;
    CompanyAhead& operator=(const CompanyAhead&) = delete;

    // Waits for the second thread to finish.
    void wait();
    // Waits for the second thread, then hands over the company it opened
    // whole (every table open, the history open or missing) for exactly
    // `session`; once: later calls give nothing.
    std::optional<store::CompanyDatabase> take(const shell::Session& session);

private:
    void open();

    shell::Session session_;
    std::optional<store::CompanyDatabase> company_;
    std::thread thread_;
};

}  // namespace screen
