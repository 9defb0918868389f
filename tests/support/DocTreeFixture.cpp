#include "tests/support/DocTreeFixture.h"

#include <gtest/gtest.h>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"

namespace orr::test {

void LoadTestDefinitions(TestEnv& env)
{
    TestEnv::WriteContainer(env.config->DefinitionFile,
                            {{"docT1.def", kDocT1},
                             {"docE1.def", kDocE1},
                             {"docT2.def", "A??*LS*0001*99*ISA*Interchange\nISA*0*M*1*I\nA??*LS*0002*99*GS*Group\n"
                                           "GS*0*M*1*G\nA??*LS*0003*99*ST*Transaction\nST*0*M*1*S\n"
                                           "BEG*0*M*1*B\nSE*0*M*1*E\nA??*LE\nGE*0*M*1*E\nA??*LE\n"
                                           "IEA*0*M*1*E\nA??*LE\n"},
                             {"docFreeForm.def", "A??*LS*0001*99*ISA*Interchange\nISA*0*M*1*I\n"
                                                 "A??*LS*0002*99*GS*Group\nGS*0*M*1*G\n"
                                                 "A??*LS*0003*99*ST*Transaction\nST*0*M*1*S\n"
                                                 "XXX*0*O*999999*Any\nSE*0*M*1*E\nA??*LE\nGE*0*M*1*E\n"
                                                 "A??*LE\nIEA*0*M*1*E\nA??*LE\n"}});
    static clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
}

void BuildText(TestEnv& env, BuiltDocument& out, const std::string& sText, const std::string& sType,
               SepCode nDelimiter, SepCode nSelimiter)
{
    clsTreeS builder;
    ASSERT_TRUE(builder.Build(out.schema, sType));
    const std::string sFile = env.Path("doc.edi");
    TestEnv::WriteFile(sFile, sText);
    clsTreeD reader;
    reader.SetDelimiter(nDelimiter);
    reader.SetSelimiter(nSelimiter);
    out.ndRoot = reader.Build(out.doc, sFile, out.schema);
    out.nError = reader.nError();
    out.sError = reader.sError();
}

std::string Outline(const TreeNode& nd, int nDepth)
{
    std::string s;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        const std::string& tag = c.Tag();
        if (!tag.empty() && tag[0] == 'E')
            continue;
        s += std::string(std::size_t(nDepth) * 2, ' ') + std::string(c.Text()) + " [" + tag.substr(0, 4) + "]";
        if (c.Image() == "errclosed")
            s += " !";
        s += "\n" + Outline(c, nDepth + 1);
    }
    return s;
}

}  // namespace orr::test
