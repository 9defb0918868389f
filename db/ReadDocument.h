#pragma once
// Reading a file to be loaded into a database, without questions: the
// separators detected, the definition named or, for "auto", the one its
// transaction sets call for (GS08, ST01).
#include <string>

namespace orr {

class EdiDocument;

// True when the whole file was read against a definition. With "auto", a
// file its sets' definition cannot read to the end is read free-form
// instead. Otherwise sError says why (the builder's own words where it
// has them). Needs the definitions loaded.
bool gfReadDocument(EdiDocument& doc, const std::string& sFile, const std::string& sType, std::string& sError);

}  // namespace orr
