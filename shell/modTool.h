#pragma once
// Openers of the tool windows that the main frame and the document windows
// share.
#include <string>

class QWidget;

namespace orr {

// The EDI server client, titled "EDI Server Connection", with sFilePath as
// the file to send (the document window passes its document's path, the
// frame an empty one); modal.
void gfOpenEdiServerClient(const std::string& sFilePath, QWidget* pParent = nullptr);
// The same window titled "Database Server Connection", with no file; modal.
void gfOpenDatabaseServerClient(QWidget* pParent = nullptr);

}  // namespace orr
