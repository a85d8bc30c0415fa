#pragma once
// The in-process stand-in for Word: registers the document server under the ProgID "Word.Application".
// Front ends call this once at start, before the first CreateDispatch.

void RegisterDocumentServer();
