#include "online/form_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TNFormBuilder, EncodesEveryValueAndNoKey)
{
    struct Case {
        const char* name;
        const char* value;
        const char* encoded;
    };
    const Case cases[] = {
        {"letters and digits stay", "Abc019", "Abc019"},
        {"a blank is a plus", "a b", "a+b"},
        {"form separators are encoded", "p&ss=+%", "p%26ss%3D%2B%25"},
        {"punctuation is encoded", "a-b.c_d:e;f/g@h", "a%2Db%2Ec%5Fd%3Ae%3Bf%2Fg%40h"},
        {"CP1250 bytes upper-case hex", "\x9E\xE1", "%9E%E1"},
        {"empty value", "", ""},
    };
    for (const Case& c : cases) {
        TNFormBuilder form;
        form.Add("Key_1", c.value);
        EXPECT_EQ(std::string(form.Text().View()), std::string("Key_1=") + c.encoded) << c.name;
    }
}

TEST(TNFormBuilder, JoinsPairsWithAmpersandAndEncodesNumbers)
{
    TNFormBuilder form;
    form.Add("ApiReq", "check-inst-id").AddUInt("InstID", 7).AddInt("Value", -5);
    EXPECT_EQ(std::string(form.Text().View()), "ApiReq=check%2Dinst%2Did&InstID=7&Value=%2D5");
}

TEST(TNFormBuilder, KeepsAZeroByteOfAValue)
{
    TNFormBuilder form;
    form.Add("Data", std::string_view("a\0b", 3));
    EXPECT_EQ(std::string(form.Text().View()), "Data=a%00b");
}

} // namespace
