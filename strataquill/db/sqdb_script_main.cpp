// sqdb-script OUTPUT SCRIPT...
//
// Builds a database file from scripts of the desktop SQL dialect (CREATE
// TABLE, INSERT). The build uses it to make the template, layout and
// classification files from the text sources in the repository.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "strataquill/db/script.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: sqdb-script OUTPUT SCRIPT...\n";
    return 2;
  }
  const std::string output = argv[1];
  const std::string temp = output + ".building";
  std::filesystem::remove(temp);
  auto database = sq::db::Database::create(temp);
  if (!database.ok()) {
    std::cerr << "sqdb-script: " << database.status().message() << "\n";
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << "sqdb-script: cannot read " << argv[i] << "\n";
      return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (auto s = sq::db::runScript(database.value(), text.str()); !s.ok()) {
      std::cerr << argv[i] << ": " << s.message() << "\n";
      database->close();
      std::filesystem::remove(temp);
      return 1;
    }
  }
  database->close();
  std::filesystem::rename(temp, output);
  return 0;
}
