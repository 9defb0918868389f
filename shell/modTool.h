#pragma once
// Openers of the tool windows that the main frame and the document windows
// share.
#include <string>

class QWidget;

namespace orr {

class EdiDocument;

// The EDI server client, titled "EDI Server Connection", with sFilePath as
// the file to send (the document window passes its document's path, the
// frame an empty one); modal.
void gfOpenEdiServerClient(const std::string& sFilePath, QWidget* pParent = nullptr);
// "Database Server Connection", which posts the document (a document
// window's) or chosen files (the frame's, pDoc null) into a database; modal.
void gfOpenDatabaseServerClient(EdiDocument* pDoc, QWidget* pParent = nullptr);

}  // namespace orr
