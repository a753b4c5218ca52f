// Opening the company on a second thread: the same steps as Form_Load, in the
// same order, with boxes that nobody answers. The first box any step would
// show ends the attempt, and Form_Load then takes every step again itself.
#include "screen/company_ahead.h"

#include "shell/platform.h"
#include "store/tables/company_code.h"
#include "store/tables/company_open.h"

namespace screen {

namespace {

// A box the operator would have had to see.
struct NeedsTheOperator {};

class NoBoxes : public store::MessageBoxes {
public:
    int MsgBox(const QString&, int, const QString&) override { throw NeedsTheOperator{}; }
};

}  // namespace

CompanyAhead::CompanyAhead()
{
    // The program's folder is found once here, on the window's thread: Qt
    // keeps it in a cache that two threads must not fill at once.
    shell::ProgramFolder();
    thread_ = std::thread([this] { open(); });
}

CompanyAhead::~CompanyAhead()
{
    wait();
    if (company_)
        store::CloseTables(*company_);
}

void CompanyAhead::open()
{
    // Whatever goes wrong here is met again by Form_Load, which says what it
    // is: nothing escapes this thread, and nothing half open is kept.
    try {
        session_ = shell::StartSession();
        if (!store::CompanyCodeProblem(session_.CompanyCode).isEmpty() || !session_.Server.trimmed().isEmpty())
            return;
        NoBoxes boxes;
        store::CompanyDatabase company(
            store::OpenCompanyDatabase(session_.Server, session_.CompanyCode, session_.DatabasePath, boxes));
        if (!company.database)
            return;
        for (store::CompanyTable table : {store::CompanyTable::Register, store::CompanyTable::Header,
                                          store::CompanyTable::DocType, store::CompanyTable::History}) {
            store::OpenTable(company, table, boxes);
        }
        if (!company.RegisterTableOpen || !company.HeaderTableOpen || !company.DocTypeTableOpen ||
            (!company.HistoryTableOpen && !company.HistoryTableMissing)) {
            store::CloseTables(company);
            return;
        }
        company_ = std::move(company);
    } catch (...) {
        company_.reset();
    }
}

void CompanyAhead::wait()
{
    if (thread_.joinable())
        thread_.join();
}

std::optional<store::CompanyDatabase> CompanyAhead::take(const shell::Session& session)
{
    wait();
    std::optional<store::CompanyDatabase> taken = std::move(company_);
    company_.reset();
    if (taken && session_ != session) {
        store::CloseTables(*taken);
        taken.reset();
    }
    return taken;
}

}  // namespace screen
