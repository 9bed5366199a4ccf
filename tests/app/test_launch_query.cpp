// Reading the launch query of the direct sign-in.
#include <QtTest>

#include "DataRows.h"
#include "app/LaunchQuery.h"
#include "service/GbkText.h"

class TestLaunchQuery : public QObject {
    Q_OBJECT

private slots:
    void parsesTheThreeKeys_data() {
        addColumns<QString, QString, QString, QString>({"query", "user", "password", "webservice"});
        addRow("usual order", "user=Tom&password=Ab12&webservice=h.example:8050", "Tom", "Ab12",
               "h.example:8050");
        addRow("other order", "webservice=h.example&password=Ab12&user=Tom", "Tom", "Ab12", "h.example");
        addRow("keys in capitals keep the values' case", "USER=Tom&PassWord=AbCd&WEBSERVICE=Host.Example",
               "Tom", "AbCd", "Host.Example");
        addRow("value holds an equals sign", "user=a=b&password=x&webservice=h", "a=b", "x", "h");
        addRow("Chinese value", "user=王老师&password=x&webservice=h", "王老师", "x", "h");
        addRow("key letters inside another value come first", "password=abcuser&user=tom&webservice=h",
               "user", "abcuser", "h");
        addRow("single user pair; missing keys are empty", "user=tom", "tom", "", "");
        addRow("empty query", "", "", "", "");
    }
    void parsesTheThreeKeys() {
        QFETCH(QString, query);
        const LaunchQuery parsed = ParseLaunchQuery(gbk::fromQString(query));
        QTEST(gbk::toQString(parsed.user), "user");
        QTEST(gbk::toQString(parsed.password), "password");
        QTEST(gbk::toQString(parsed.webservice), "webservice");
    }

    void queryValueRules_data() {
        addColumns<QString, QString, QString>({"text", "key", "value"});
        addRow("piece without equals is returned whole", "password=xuser&user=t", "user", "user");
        addRow("value up to the next ampersand", "a=1&user=t&b=2", "user", "t");
        addRow("empty value", "user=&password=p", "user", "");
        addRow("key missing", "password=p&webservice=h", "user", "");
        // The second byte of a GBK character can equal an ASCII letter ("丂" is 0x81 0x40,
        // "乽" is 0x81 0x75 = 'u'); a key is never found inside such a character.
        addRow("no match inside a Chinese character", "x=乽ser&user=t", "user", "t");
    }
    void queryValueRules() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QTEST(gbk::toQString(QueryValue(gbk::fromQString(text), gbk::fromQString(key))), "value");
    }
};

QTEST_APPLESS_MAIN(TestLaunchQuery)
#include "test_launch_query.moc"
