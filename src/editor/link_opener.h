#pragma once

// Opens a web address in the user's browser; answers whether a browser was started.
bool OpenLinkInBrowser(const char* url);
