#include "tests/editing/EditFixture.h"

#include <gtest/gtest.h>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "store/modTreeDump.h"

namespace orr::test {

const char* const kEditDocE1 = R"(???*DESCRIPTION*Editing test document
A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*Interchange header
A??*LS*0002*2*GS*Group
GS*0*M*1*Group header
A??*LS*0003*99*ST*Transaction
ST*0*M*1*Transaction header
BEG*0*M*1*Beginning
BEG01*1*M*ID*2*2*Purpose
BEG02*2*N*ID*2*2*Unused
BEG03*3*O*AN*1*9*Number
REF*0*O*3*Reference
REF01*1*M*ID*2*3*Qualifier
REF02*2*O*AN*1*9*Value
NTE*0*M*2*Note
NTE01*1*M*AN*1*80*Text
A??*LS*N1*2*N1*Party
N1*0*O*1*Name
N101*1*M*ID*2*3*Entity
N3*0*O*2*Address
N301*1*M*AN*1*55*Street
A??*LE
A??*HLS*1*3*Hierarchy
A??*LS*HLS*1*S*Shipment
HL*0*M*1*Level
HL01*1*M*AN*1*12*Id
HL02*2*O*AN*1*12*Parent
HL03*3*M*ID*1*2*Level code
HL04*4*O*ID*1*1*Child code
A??*LE
A??*LS*HLO*99*O*Order
HL*0*M*1*Level
HL01*1*M*AN*1*12*Id
HL02*2*O*AN*1*12*Parent
HL03*3*M*ID*1*2*Level code
HL04*4*O*ID*1*1*Child code
A??*LE
A??*LS*HLX*99*1,2,X*Other level
HL*0*M*1*Level
HL01*1*M*AN*1*12*Id
HL02*2*O*AN*1*12*Parent
HL03*3*M*ID*1*2*Level code
HL04*4*O*ID*1*1*Child code
A??*LE
A??*HLE
A??*ELS*1*1*Names
A??*LS*NMST*2*ST,SF*Ship to
NM1*0*M*1*Name
NM101*1*M*ID*2*3*Entity
A??*LE
A??*ELE
A??*ESS*1*Dates
DTM*0*O*2*Ship date*011
DTM01*1*M*ID*3*3*Qualifier
DTM02*2*O*DT*8*8*Date
DTM*0*O*1*Delivery date*002
DTM01*1*M*ID*3*3*Qualifier
A??*ESE
SE*0*M*1*Transaction trailer
A??*LE
GE*0*M*1*Group trailer
A??*LE
IEA*0*M*1*Interchange trailer
A??*LE
)";

std::string DocumentE1(const std::string& sBody1, const std::string& sBody2)
{
    const std::string sBody =
        "BEG*00**PO1~\nREF*DP*038~\nREF*PS~\nNTE*hello~\nN1*ST~\nN3*Main St~\n"
        "HL*1**S~\nHL*2*1*O~\nHL*5*1*O~\nNM1*ST~\nDTM*011*20040305~\n";
    auto transaction = [](const std::string& sId, const std::string& sInner) {
        return "ST*850*" + sId + "~\n" + sInner + "SE*2*" + sId + "~\n";
    };
    return "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       "
           "*040305*0907*U*00401*000000001*0*T*:~\n"
           "GS*PO*SENDER*RECEIVER*20040305*0907*1*X*004010~\n" +
           transaction("0001", sBody1.empty() ? sBody : sBody1) + transaction("0002", "BEG*00~\nNTE*two~\n") +
           "GE*2*1~\nGS*PO*SENDER*RECEIVER*20040305*0907*2*X*004010~\n" +
           transaction("0003", sBody2.empty() ? "BEG*00~\nNTE*three~\n" : sBody2) + "GE*1*2~\nIEA*2*000000001~\n";
}

// An HL and an element-loop container whose key segment is the second of a loop.
const char* const kEditDocE2 = R"(A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*Interchange header
A??*LS*0002*99*GS*Group
GS*0*M*1*Group header
A??*LS*0003*99*ST*Transaction
ST*0*M*1*Transaction header
A??*HLS*2*3*Hierarchy
A??*LS*HLS*9*S*Shipment
HL*0*M*1*Level
HL01*1*M*AN*1*12*Id
A??*LE
A??*HLE
A??*ELS*2*1*Names
A??*LS*NM*9*ST*Ship to
NM1*0*M*1*Name
NM101*1*M*ID*2*3*Entity
A??*LE
A??*ELE
SE*0*M*1*Transaction trailer
A??*LE
GE*0*M*1*Group trailer
A??*LE
IEA*0*M*1*Interchange trailer
A??*LE
)";

EditEnv::EditEnv()
{
    TestEnv::WriteContainer(config->DefinitionFile, {{"docT1.def", kDocT1},
                                                     {"docE1.def", kEditDocE1},
                                                     {"docE2.def", kEditDocE2},
                                                     {"docFreeForm.def",
                                                      "A??*LS*0001*99*ISA*Interchange\nISA*0*M*1*I\n"
                                                      "A??*LS*0002*99*GS*Group\nGS*0*M*1*G\n"
                                                      "A??*LS*0003*99*ST*Transaction\nST*0*M*1*S\n"
                                                      "XXX*0*O*999999*Any\nSE*0*M*1*E\nA??*LE\nGE*0*M*1*E\n"
                                                      "A??*LE\nIEA*0*M*1*E\nA??*LE\n"}});
    static clsDefFiles files;
    EXPECT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
}

EditDoc::EditDoc(EditEnv& env, const std::string& sText, const std::string& sType) : editor(doc)
{
    const std::string sFile = env.Path(sType + ".edi");
    TestEnv::WriteFile(sFile, sText);
    doc.SetSeparators('*', '~');
    EXPECT_TRUE(doc.LoadDefinition(sType));
    EXPECT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
    EXPECT_EQ(doc.BuildError(), 0) << doc.BuildErrorText();
}

TreeNode EditDoc::At(const std::string& sPath)
{
    TreeNode nd = doc.Root();
    for (std::size_t pos = 1; pos < sPath.size();) {
        const std::size_t end = std::min(sPath.find('/', pos), sPath.size());
        nd = nd.Child(std::uint32_t(std::stoul(sPath.substr(pos, end - pos)) - 1));
        pos = end + 1;
    }
    EXPECT_TRUE(nd) << sPath;
    return nd;
}

EditDoc& EditDoc::Select(const std::string& sPath)
{
    doc.SetCurrent(At(sPath).Id());
    return *this;
}

std::string EditDoc::Dump() { return gfDumpTreeText(doc.Tree(), doc.Root().Id()); }

std::string EditDoc::Children(const std::string& sPath)
{
    std::string s;
    for (TreeNode c = At(sPath).FirstChild(); c; c = c.Next())
        s += (c == At(sPath).FirstChild() ? "" : "|") + std::string(c.Text());
    return s;
}

std::string EditDoc::Tags(const std::string& sPath)
{
    std::string s;
    for (TreeNode c = At(sPath).FirstChild(); c; c = c.Next())
        s += (c == At(sPath).FirstChild() ? "" : "|") + c.Tag();
    return s;
}

std::string IllogicDetail(const std::string& sMessage)
{
    const std::string sHead = "The Orrindale program has detected an illogic condition.\r\n";
    if (sMessage.rfind(sHead, 0) != 0)
        return {};
    return sMessage.substr(sHead.size(), sMessage.find("\r\n", sHead.size()) - sHead.size());
}

}  // namespace orr::test
