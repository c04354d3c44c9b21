// The addresses the program uses, all derived from two settings of the installation: the
// maker's server (a base URL) and the search engine's home page. Both have build-time defaults
// and are overridden by the environment variables HARROWKIT_SERVER and HARROWKIT_ENGINE. With
// no server configured, the maker's site installed beside the program is used as file URLs.
#pragma once

#include <QString>

namespace addresses {
QString makerServer();   // base URL, without a trailing slash
QString engineHome();    // the search engine's home page
QString searchPage();    // "/search.htm" on the maker's server
QString versionFile();   // "/download/HarrowKIT/version"
QString downloadPage();  // "/download/HarrowKIT/index.htm"
QString downloadIndex(); // "/download/index.htm"
QString makerHome();     // the maker's home page
} // namespace addresses
