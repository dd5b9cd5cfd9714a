#include "measure/channel_analysis_step.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "measure/channel_analysis.h"

void AnalyseChannels(const Form1& main, InfoBox& info)
{
    const ChannelAnalysis analysis =
        analyseChannels(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex, Module1.ChannelSelect,
                        downLevelFromText(main.Text8->text()));
    if (analysis.kind == ChannelKind::Reflection) info.setText(T("measure.reflection"));
    else if (analysis.kind == ChannelKind::Transmission) info.setText(T("measure.transmission"));
    storeChannelResults(Module1, analysis);
}
