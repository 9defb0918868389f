// The element dictionary of a release: its line forms, and which stored
// dictionary a group's GS08 release reads.
#include <gtest/gtest.h>

#include "app/GlobalsScope.h"
#include "schema/ElementDictionary.h"
#include "schema/clsDefFiles.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

TEST(ElementDictionary, ReadsElementsCodesAndComposites)
{
    const ElementDictionary d({
        "; comment",
        "128*ID*2*3*Reference Identification Qualifier*ZZ,DP,BM",
        "127*AN*1*50*Reference Identification",
        "C040*COMP*1*104*Reference Identifier*128:M,127:M,128:O",
        "C041*COMP*1*10*Unknown component*128:M,777:O",  // 777 is not in the dictionary: left out
        "353*ID*two*2*Bad length",                        // not a line of the forms: left out
        "93*AN*1*60",                                     // too few fields
    });
    const auto* q = d.FindElement("128");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->sType, "ID");
    EXPECT_EQ(q->nMinLength, 2);
    EXPECT_EQ(q->nMaxLength, 3);
    EXPECT_EQ(q->sName, "Reference Identification Qualifier");
    EXPECT_EQ(q->codes, (std::vector<std::string>{"BM", "DP", "ZZ"}));  // sorted, for the look-up
    EXPECT_TRUE(q->HasCode("DP"));
    EXPECT_FALSE(q->HasCode("dp"));  // codes compare exactly
    EXPECT_TRUE(d.FindElement("127")->codes.empty());

    const auto* c = d.FindComposite("C040");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->sName, "Reference Identifier");
    ASSERT_EQ(c->components.size(), 3u);
    EXPECT_EQ(c->components[1].element, d.FindElement("127"));
    EXPECT_TRUE(c->components[1].bRequired);
    EXPECT_FALSE(c->components[2].bRequired);
    EXPECT_FALSE(d.FindComposite("C041"));
    EXPECT_FALSE(d.FindElement("353"));
    EXPECT_FALSE(d.FindElement("93"));
    EXPECT_FALSE(d.FindElement("C040"));  // a composite is no element
}

TEST(ElementDictionary, ReleaseChoosesTheStoredDictionary)
{
    TestEnv env;
    EXPECT_FALSE(ElementDictionary::ForRelease("004010"));  // no store
    clsDefFiles files;
    const GlobalsScope defs(&files);
    TestEnv::WriteContainer(env.config->DefinitionFile,
                            {{"dict4010.def", "92*ID*2*2*Order Type*SA\n"}, {"docX.def", "A??*LS*0001*9*ISA*I\n"}});
    ASSERT_TRUE(files.RefreshBinFile());
    const auto d4010 = ElementDictionary::ForRelease("004010X098A1");
    ASSERT_TRUE(d4010);
    EXPECT_TRUE(d4010->FindElement("92")->HasCode("SA"));
    EXPECT_EQ(ElementDictionary::ForRelease("004012"), d4010);  // read once, for every subrelease
    for (const char* s : {"005010", "004030", "4010", "00401", "X12"})
        EXPECT_FALSE(ElementDictionary::ForRelease(s)) << s;

    // A store read anew with another dictionary gives that one.
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"dict4010.def", "92*ID*2*2*Order Type*XX,YY\n"},
                                                         {"dict5010.def", "92*ID*2*2*Order Type*CN\n"}});
    ASSERT_TRUE(files.RefreshBinFile());
    EXPECT_TRUE(ElementDictionary::ForRelease("004010")->FindElement("92")->HasCode("XX"));
    EXPECT_TRUE(ElementDictionary::ForRelease("005010X222A1")->FindElement("92")->HasCode("CN"));
}

}  // namespace
}  // namespace orr
