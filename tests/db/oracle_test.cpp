#include "db/db_dll.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

const char* kOracle = "Provider=OraOLEDB.Oracle.1;Data Source=VENTAS;User Id=u;Password=p;";

TEST(ORACLE_DiccTest, OnSqlServerTheTextIsUnchanged) {
    DB_Dll db;
    db.gConnString = "PROVIDER=SQLOLEDB;Server=srv;Database =ORACLE;UId=u;Pwd=p;";
    for (const char* sql : {"select top 10 * from T where F = '01/02/2021'", "len"}) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(db.ORACLE_Dicc(sql), QString::fromUtf8(sql));
    }
}

TEST(ORACLE_DiccTest, RulesInOrder) {
    DB_Dll db;
    db.gConnString = kOracle;
    const struct {
        const char* name;
        const char* sql;
        const char* expected;
    } cases[] = {
        {"single word len", "len", "LENGTH"},
        {"single word other", "Nombre", "Nombre"},
        {"top with where and order", "SELECT top 10 * FROM T WHERE A = 1 ORDER BY B",
         "SELECT   * FROM T WHERE A = 1    AND ROWNUM <= 10  ORDER BY B"},
        {"top without where", "SELECT top 5 * FROM T", "SELECT   * FROM T  WHERE ROWNUM <= 5  "},
        {"top with group by", "SELECT TOP 3 A, COUNT(*) FROM T GROUP BY A",
         "SELECT   A, COUNT(*) FROM T    WHERE ROWNUM <= 3 GROUP BY A "},
        {"top inside a longer word or quoted text", "SELECT DESKTOP FROM T WHERE x = 'top '",
         "SELECT DESKTOP FROM T WHERE x = 'top '"},
        {"len with blanks", "select LEN(a), len (b), Len    (c) from T",
         "select LENGTH(a), LENGTH(b), LENGTH(c) from T"},
        {"brackets", "select [NUMERO ASIENTO] from T", "select \"NUMERO ASIENTO\" from T"},
        {"date literal", "select * from T where F = '01/02/2021'",
         "select * from T where F = TO_DATE('01/02/2021','DD/MM/YYYY')"},
        {"two-digit year", "select * from T where F >= '1/2/21' and G <= '1/2/21'",
         "select * from T where F >= TO_DATE('01/02/2021','DD/MM/YYYY') and G <= "
         "TO_DATE('01/02/2021','DD/MM/YYYY')"},
        {"not a date", "select * from T where F = 'abc' and G = '2021-02-31'",
         "select * from T where F = 'abc' and G = '2021-02-31'"},
        // The system writes ISO dates too: they take the ISO mask.
        {"ISO date", "select * from T where F = '2021-01-31' and G < '2021-02-01'",
         "select * from T where F = TO_DATE('2021-01-31','YYYY-MM-DD') and G < "
         "TO_DATE('2021-02-01','YYYY-MM-DD')"},
        {"ISO date and time", "select * from T where F >= '2021-01-31 08:05:09'",
         "select * from T where F >= TO_DATE('2021-01-31 08:05:09','YYYY-MM-DD HH24:MI:SS')"},
        {"ISO date and time to the minute", "select * from T where F >= '2021-01-31 08:05'",
         "select * from T where F >= TO_DATE('2021-01-31 08:05','YYYY-MM-DD HH24:MI')"},
        {"ISO with a T or a fraction is not taken",
         "select * from T where F = '2021-01-31T08:05' and G = '2021-01-31 08:05:09.5'",
         "select * from T where F = '2021-01-31T08:05' and G = '2021-01-31 08:05:09.5'"},
        {"ISO already converted", "select * from T where F = TO_DATE('2021-01-31','YYYY-MM-DD')",
         "select * from T where F = TO_DATE('2021-01-31','YYYY-MM-DD')"},
        {"ISO and day first in one text",
         "select * from T where F between '2021-01-31' and '01/02/2021'",
         "select * from T where F between TO_DATE('2021-01-31','YYYY-MM-DD') and "
         "TO_DATE('01/02/2021','DD/MM/YYYY')"},
        {"date and time is not taken", "select * from T where F = '01/02/2021 10:30'",
         "select * from T where F = '01/02/2021 10:30'"},
        {"impossible date", "select * from T where F = '31/02/2021'",
         "select * from T where F = '31/02/2021'"},
        {"already converted", "select * from T where F = TO_DATE('01/02/2021','DD/MM/YYYY')",
         "select * from T where F = TO_DATE('01/02/2021','DD/MM/YYYY')"},
        {"charindex", "select Charindex('a', b) from T", "select InStr('a', b) from T"},
        {"convert", "select CONVERT(NVARCHAR, F, 103), CONVERT(INT, G) from T",
         "select TO_CHAR( F, 'DD/MM/YYYY'), TO_NUMBER( G) from T"},
        {"empty tests after where", "select a='' from T where isnull(A,'') = '' and b=''",
         "select a='' from T where NVL(A,'')  IS NULL  and b IS NULL "},
        {"103 elsewhere stays", "select F from T where N = 103", "select F from T where N = 103"},
        {"substring", "select SUBSTRING(a,1,2) from T", "select SUBSTR(a,1,2) from T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db.ORACLE_Dicc(QString::fromUtf8(c.sql)), QString::fromUtf8(c.expected));
    }
}

}  // namespace
