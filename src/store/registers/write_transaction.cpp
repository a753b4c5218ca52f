// The write transaction guard and the failure box shown after it.
#include "store/registers/write_transaction.h"

namespace store {

WriteTransaction::WriteTransaction(Database& database)
    : database_(database)
{
    database_.beginTrans();
}

WriteTransaction::~WriteTransaction()
{
    if (!open_)
        return;
    try {
        database_.rollback();
    } catch (const EngineError&) {
        // Nothing more to undo: the file keeps what it held before the write.
    }
}

void WriteTransaction::commit()
{
    database_.commitTrans();
    open_ = false;
}

void ShowWriteFailure(MessageBoxes& boxes, const QString& message, const WriteFailure& failure)
{
    QString text = message;
    if (!failure.description.trimmed().isEmpty())
        text += QLatin1Char('\n') + failure.description.trimmed();
    boxes.MsgBox(text, BoxCode::OkOnly);
}

}  // namespace store
