#include "app/ClassCatalogue.h"

#include <QDate>
#include <string>

#include "text/CodePage.h"

namespace {

// Written here in UTF-8 and converted to GBK once, at first use.
constexpr std::array<const char*, kClassCount> kClassLabelsUtf8 = {
    " 1类 化工原料肥料",   " 2类 颜料油漆油墨 ",  " 3类 化妆品日化品 ",  " 4类 润滑油润滑剂 ",  " 5类 人用药保健品 ",
    " 6类 金属小五金具 ",  " 7类 洗衣机吸尘器 ",  " 8类 手工具刀叉勺 ",  " 9类 电子产品电池 ",  " 10类 医疗器械设备 ",
    " 11类 家用电器龙头 ", " 12类 运输工具用品 ", " 13类 烟花爆竹军火 ", " 14类 珠宝玉器手表 ", " 15类 乐器钢琴箫鼓 ",
    " 16类 文具办公用品 ", " 17类 橡塑包装材料 ", " 18类 箱包雨伞手杖 ", " 19类 地板地砖涂层 ", " 20类 家具竹工艺品 ",
    " 21类 厨房炊事用具 ", " 22类 缆绳帐篷吊床 ", " 23类 纺织用纱和线 ", " 24类 床上用品毛巾 ", " 25类 装鞋帽围巾 ",
    " 26类 饰品纽扣假发 ", " 27类 地毯地垫墙纸 ", " 28类 运动用品玩具 ", " 29类 食用油坚果肉 ", " 30类 茶糖糕点蜂蜜 ",
    " 31类 蔬菜水果鲜花 ", " 32类 啤酒矿泉水饮 ", " 33类 白酒果酒黄酒 ", " 34类 香烟雪茄烟袋 ", " 35类 广告特许经营 ",
    " 36类 保险金融估价 ", " 37类 维修室内装潢 ", " 38类 通讯服务传送 ", " 39类 运输旅行安排 ", " 40类 服装定制加工 ",
    " 41类 培训教育文娱 ", " 42类 软件编程设计 ", " 43类 餐饮酒店茶馆 ", " 44类 美容院理发店 ", " 45类 法律咨询服务 "};

}  // namespace

const std::array<Text, kClassCount>& classCatalogue() {
    static const std::array<Text, kClassCount> labels = [] {
        std::array<Text, kClassCount> gbk;
        for (int i = 0; i < kClassCount; ++i) {
            gbk[i] = utf8ToGbk(kClassLabelsUtf8[i]);
        }
        return gbk;
    }();
    return labels;
}

Text dateText(int year, int month, int day) {
    static const Text yearMark = utf8ToGbk("年");
    static const Text monthMark = utf8ToGbk("月");
    static const Text dayMark = utf8ToGbk("日");
    return std::to_string(year) + yearMark + std::to_string(month) + monthMark + std::to_string(day) + dayMark;
}

void onMainWindowCreated(Toolkit& toolkit) {
    for (const Text& label : classCatalogue()) {
        toolkit.addClassItem(label);
    }
    const QDate today = QDate::currentDate();
    toolkit.setStatusText(1, dateText(today.year(), today.month(), today.day()));
}
