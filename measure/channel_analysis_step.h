#pragma once
// The measurement step around the channel analysis: the shared spectrum analysed at the level in
// `main`'s Text8, the kind of channel named in the information box, the results stored.

class Form1;
class InfoBox;

void AnalyseChannels(const Form1& main, InfoBox& info);
