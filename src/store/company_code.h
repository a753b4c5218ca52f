// The company code names the company's folder inside the data folder: it must
// stay a single folder name there, so that no code reaches outside.
#pragma once

#include <QString>

namespace store {

// The box or error text for a code that cannot name a company folder ("."
// "..", or a code holding "/"); empty text when the code is usable.
QString CompanyCodeProblem(const QString& code);

}  // namespace store
