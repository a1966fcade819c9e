#pragma once
// Shared by the schema, data-directory and fresh-start tests: the format as it must be
// found in a file (written out here on its own, not taken from the store), readers of
// whole result sets, today's date text, and dialogs that record what the store asked.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "store/DataDirectory.h"
#include "store/KxDb.h"
#include "tests/support/TestUtil.h"

namespace storetest {

// sqlite_master as "type|name|tbl_name|sql", in creation order. SQLite keeps each
// statement as it was given except for its first two words, which it stores in capitals.
inline const std::vector<std::string>& ExpectedSchema() {
  static const std::vector<std::string> rows = {
      "table|KX_SYS|KX_SYS|CREATE TABLE KX_SYS (ID INTEGER not null PRIMARY KEY,"
      "Value VARCHAR(100) NOT NULL,Ms VARCHAR(80))",
      "table|KX_DATA|KX_DATA|CREATE TABLE KX_DATA (ID INTEGER not null PRIMARY KEY,"
      "FLAG  VARCHAR(80),DATA blob,Ms VARCHAR(80))",
      "table|KX_SOFT|KX_SOFT|CREATE TABLE KX_SOFT (S_ID INTEGER not null PRIMARY KEY,"
      "S_ORDERID INTEGER,S_PID INTEGER,S_FLAG INTEGER,S_TEXT VARCHAR(100),S_PATH VARCHAR(300),"
      "S_ICO blob)",
      "index|idxKX_SOFT|KX_SOFT|CREATE INDEX idxKX_SOFT on KX_SOFT(S_ORDERID,S_PID)",
      "table|KX_NOTE|KX_NOTE|CREATE TABLE KX_NOTE (N_ID INTEGER NOT NULL PRIMARY KEY,"
      "N_LEFT INTEGER,N_TOP INTEGER,N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,"
      "N_TEXT BLOB,N_PASSWORD VARCHAR(20),N_SHOW INTEGER,CREATEDATE VARCHAR(20),"
      "MODIDATE VARCHAR(20),STATUS INTEGER)",
      "table|KX_MODULE|KX_MODULE|CREATE TABLE KX_MODULE (M_TYPE INTEGER NOT NULL,"
      "M_ID INTEGER NOT NULL,M_XH INTEGER,M_HK INTEGER,M_NAME VARCHAR(80),M_MS VARCHAR(300),"
      "M_FLAG INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),STATUS INTEGER)",
      "table|KX_PLUGIN|KX_PLUGIN|CREATE TABLE KX_PLUGIN (P_ID VARCHAR(20),P_STATUS INTEGER,"
      "P_XH INTEGER,P_HK INTEGER,P_VER VARCHAR(20),P_NAME VARCHAR(80),P_PATH VARCHAR(300),"
      "P_MS VARCHAR(300),CREATEDATE VARCHAR(20))",
      "table|KX_LAUNCH|KX_LAUNCH|CREATE TABLE KX_LAUNCH (S_ID INTEGER not null PRIMARY KEY,"
      "L_COUNT INTEGER,L_LASTDATE VARCHAR(20))",
      "table|KX_NOTE_DELETED|KX_NOTE_DELETED|CREATE TABLE KX_NOTE_DELETED (N_ID INTEGER NOT NULL "
      "PRIMARY KEY,N_LEFT INTEGER,N_TOP INTEGER,N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,"
      "N_TEXT BLOB,N_PASSWORD VARCHAR(20),N_SHOW INTEGER,CREATEDATE VARCHAR(20),"
      "MODIDATE VARCHAR(20),STATUS INTEGER,DELETEDATE VARCHAR(20))",
  };
  return rows;
}

inline std::string TodayText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

// The launcher menu's row, and the quick search's with Ctrl+Alt+Space on and in the menu.
inline std::vector<std::string> DefaultModuleRows() {
  std::string dates = "|" + TodayText() + "|" + TodayText() + "|0";
  return {"110|0|0|11|LeftMenu||2" + dates, "115|0|0|2097155|Search||3" + dates};
}

// Column 0 of every row of sql.
inline std::vector<std::string> Rows(KxDb& db, const KxString& sql) {
  std::vector<std::string> rows;
  KxQuery query;
  query.Open(db, sql);
  while (!query.Eof()) {
    KxString text = query.TextAt(0);
    rows.push_back(std::string(text.CStr(), static_cast<size_t>(text.Length())));
    query.Next();
  }
  query.Close();
  return rows;
}

inline std::vector<std::string> Schema(KxDb& db) {
  return Rows(db, "select type||'|'||name||'|'||tbl_name||'|'||ifnull(sql,'') from sqlite_master "
                  "order by rowid");
}

inline std::vector<std::string> SysRows(KxDb& db) {
  return Rows(db, "select ID||'|'||Value||'|'||ifnull(Ms,'<null>') from KX_SYS order by ID");
}

inline std::vector<std::string> ModuleRows(KxDb& db) {
  return Rows(db, "select M_TYPE||'|'||M_ID||'|'||M_XH||'|'||M_HK||'|'||M_NAME||'|'||M_MS||'|'||"
                  "M_FLAG||'|'||CREATEDATE||'|'||MODIDATE||'|'||STATUS from KX_MODULE order by M_TYPE");
}

// Rows of the six tables that start empty.
inline int RowsOfEmptyTables(KxDb& db) {
  return db.Count("KX_DATA", "") + db.Count("KX_SOFT", "") + db.Count("KX_NOTE", "") +
         db.Count("KX_PLUGIN", "") + db.Count("KX_LAUNCH", "") + db.Count("KX_NOTE_DELETED", "");
}

// The answers the store gets and the texts it showed.
struct Dialogs {
  inline static std::vector<std::string> asked, told;
  inline static bool answer = false;

  static bool Ask(const KxString& text) {
    asked.push_back(text.CStr());
    return answer;
  }
  static void Tell(const KxString& text) { told.push_back(text.CStr()); }
  static StoreDialogs Answering(bool yes) {
    asked.clear();
    told.clear();
    answer = yes;
    return StoreDialogs{Ask, Tell};
  }
};

// In-process tests run with the test program's folder as the program directory: its
// config.ini and Config.db exist only for the length of one test.
class ProgramDirectoryFiles {
public:
  ProgramDirectoryFiles() { Clear(); }
  ~ProgramDirectoryFiles() { Clear(); }
  static KxString Ini() { return ProgramDirectory() + "\\config.ini"; }
  static KxString Db() { return ProgramDirectory() + "\\Config.db"; }
  static void WriteIni(const KxString& dbPath) {
    WriteFileBytes(Ini(), "[0]\r\nDBPATH=" + dbPath + "\r\n");
  }

private:
  static void Clear() {
    TheDb.Close();
    SetFileAttributesA(Ini().CStr(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(Ini().CStr());
    RemoveDirectoryA(Ini().CStr());
    DeleteFileA(Db().CStr());
    DeleteFileA((Db() + "-journal").CStr());
    // What a restore, a failed test or the end of a run may have left beside it.
    for (const char* suffix : {".restoring", ".unsaved-notes.txt"}) DeleteFileA((Db() + suffix).CStr());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Db() + ".damaged-*").CStr(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((ProgramDirectory() + "\\" + found.cFileName).CStr());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveTree(ProgramDirectory() + "\\Backup");
  }
};

}  // namespace storetest
