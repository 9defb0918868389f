#include <gtest/gtest.h>

#include "edi/clsEdiDoc.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

std::tm FixedTime(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

TEST(Envelope, HeadersFromTheConfiguration)
{
    TestEnv env;
    clsConfig& c = *env.config;
    c.HerAddrQualifier = "ZZ";
    c.HerAddr = "PARTNER";
    c.MyAddrQualifier = "01";
    c.MyAddr = "ME";
    c.IsaIcId = "U";
    c.IsaIcVersion = "401";
    c.IsaAckRequired = true;
    c.IsaTest = false;
    c.GsAgencyCode = "X";
    c.GsReleaseID = "004010";
    clsEdiDoc doc([] { return FixedTime(2004, 3, 5, 9, 7); });
    doc.IsaControlNumber = 42;
    EXPECT_EQ(doc.ISA(), "ISA*00**00**ZZ*PARTNER*01*ME*040305*0907*U*00401*000000042*1*P*:");
    EXPECT_EQ(doc.GS("inv"), "GS*IN*ME*PARTNER*20040305*0907*1*X*004010");
    EXPECT_EQ(doc.GS(""), "GS**ME*PARTNER*20040305*0907*1*X*004010");
    EXPECT_EQ(doc.IEA(), "IEA*0*000000042");

    doc.SetDelimiter('|');
    doc.IsaControlNumber = 1234567890;
    c.IsaTest = true;
    c.IsaAckRequired = false;
    c.IsaIcVersion = "1234567";
    EXPECT_EQ(doc.ISA(), "ISA|00||00||ZZ|PARTNER|01|ME|040305|0907|U|34567|234567890|0|T|:");
    EXPECT_EQ(clsEdiDoc::FunctionalId("Asn"), "AS");
    EXPECT_EQ(clsEdiDoc::FunctionalId("850"), "");
}

TEST(Envelope, CountersRunAcrossSetsAndGroups)
{
    TestEnv env;
    clsEdiDoc doc([] { return FixedTime(2026, 12, 6, 23, 59); });
    EXPECT_EQ(doc.ST("850"), "ST*850*1");
    for (int i = 0; i < 3; ++i)
        doc.IncrementSegCount();
    EXPECT_EQ(doc.SE(), "SE*4*1");
    EXPECT_EQ(doc.ST("850"), "ST*850*2");
    doc.IncrementSegCount();
    EXPECT_EQ(doc.SE(), "SE*2*2");
    EXPECT_EQ(doc.GE(), "GE*2*1");
    EXPECT_EQ(doc.ST("810"), "ST*810*3");
    EXPECT_EQ(doc.SE(), "SE*1*3");
    EXPECT_EQ(doc.GE(), "GE*1*2");
    EXPECT_EQ(doc.IEA(), "IEA*2*000000000");
    EXPECT_EQ(doc.GS("PO"), "GS*PO***20261206*2359*3**");
}

}  // namespace
}  // namespace orr
