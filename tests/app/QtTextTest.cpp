#include <gtest/gtest.h>

#include "app/QtText.h"
#include "text/CodePage.h"

namespace {

struct UrlCase {
    const char* gbk;
    const char* encoded;
};

TEST(EncodeUrlBytes, EscapesEveryByteOutsideTheUrlSafeSetAsItStands) {
    const UrlCase cases[] = {
        {"http://127.0.0.1:18080/query/index.php?m=&c=base_query&a=brand_detail&num=123&type=5",
         "http://127.0.0.1:18080/query/index.php?m=&c=base_query&a=brand_detail&num=123&type=5"},
        // GBK bytes of a number cell go byte for byte, not as UTF-8.
        {"num=\xC9\xCC\xB1\xEA&type=1", "num=%C9%CC%B1%EA&type=1"},
        {"num=a b&type=", "num=a%20b&type="},
        {"num=1#2", "num=1%232"},
        {"num=<td>\"x\"</td>", "num=%3Ctd%3E%22x%22%3C/td%3E"},
        {"num=[1]|{2}\\^`", "num=%5B1%5D%7C%7B2%7D%5C%5E%60"},
        {"num=\t\n", "num=%09%0A"},
        // A complete escape is kept, so the server decodes the byte it stands for.
        {"num=%41%c9", "num=%41%c9"},
        // A "%" that starts no escape is escaped itself.
        {"num=%4", "num=%254"},
        {"num=%zz", "num=%25zz"},
        {"%", "%25"},
        {"", ""},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.gbk);
        EXPECT_EQ(encodeUrlBytes(c.gbk), QByteArray(c.encoded));
    }
}

TEST(UrlFromGbk, KeepsTheEscapedBytesInTheQuery) {
    const QUrl url = urlFromGbk("http://127.0.0.1:8/query/index.php?a=brand_detail&num=\xC9\xCC 1&type=45");
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.host(), "127.0.0.1");
    EXPECT_EQ(url.port(), 8);
    EXPECT_EQ(url.query(QUrl::FullyEncoded), "a=brand_detail&num=%C9%CC%201&type=45");
    EXPECT_EQ(url.toEncoded(), "http://127.0.0.1:8/query/index.php?a=brand_detail&num=%C9%CC%201&type=45");
}

TEST(QtText, ConvertsBetweenGbkAndQtStrings) {
    const Text gbk = "\xC9\xCC\xB1\xEA\xBA\xC5\t";  // 商标号 and a TAB
    EXPECT_EQ(toQString(gbk), QString::fromUtf8("商标号\t"));
    EXPECT_EQ(fromQString(QString::fromUtf8("商标号\t")), gbk);
    EXPECT_EQ(fromQString(toQString("Halvoran")), "Halvoran");
    EXPECT_TRUE(toQString("").isEmpty());
    EXPECT_EQ(fromQString(QString()), "");
}

}  // namespace
