// Writes a burst of rows through the store, then announces it and waits to be killed:
//   velix_store_writer <database> <marker file> <row count>
// The durability test ends it with TerminateProcess and reads the rows back.

#include <windows.h>

#include <cstdlib>

#include "store/KxDb.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  if (!TheDb.Open(argv[1])) return 3;
  if (!TheDb.Exec("create table if not exists BURST (ID INTEGER PRIMARY KEY,T VARCHAR(40),B blob)")) {
    return 4;
  }
  int count = std::atoi(argv[3]);
  for (int i = 1; i <= count; ++i) {
    KxSqlInsert insert("BURST");
    insert.AddInt("ID", i);
    insert.AddText("T", "行" + KxString::FromInt(i));
    if (!TheDb.Exec(insert.Build())) return 5;
    KxString blob('\x5a', i);
    if (!TheDb.UpdateBlob("BURST", "B", blob.CStr(), blob.Length(), "ID=" + KxString::FromInt(i))) {
      return 6;
    }
  }
  HANDLE marker = CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (marker == INVALID_HANDLE_VALUE) return 7;
  CloseHandle(marker);
  for (;;) Sleep(1000);
}
