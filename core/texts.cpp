#include "core/texts.h"

#include "core/shared_state.h"

#include <algorithm>
#include <cstring>

namespace {

// clang-format off
constexpr CaptionRow kForm1Captions[] = {
    {"TitleLabel", "Ostrel VXM Demo Operation Program", "Ostrel VXM 演示操作程序", 36},
    {"VXMSetting", "VXM Setting", "VXM设置", 14},
    {"TLSSetting", "TLS Setting", "TLS设置", 14},
    {"ScanSetting", "VXM&TLS Scan Setting", "VXM&TLS 扫描设置", 14},
    {"VXMMeasure", "VXM Measurements", "VXM测量", 14},
    {"DataSetting", "Data Analysis", "数据分析", 14},
    {"SetVXMComPort", "Set VXM COM Port", "设置VXM COM端口", 12},
    {"SetConnection", "Set VXM Connection", "设置VXM连接", 12},
    {"SetTLSComPort", "Set TLS COM Port", "设置TLS COM端口", 12},
    {"TLSOnOff", "Set TLS On", "打开激光", 12},
    {"StartStopSweep", "Start TLS Sweep", "开始TLS扫描", 12},
    {"SingleMeasure", "Single Measurement", "单次测量", 12},
    {"RepeatMeasure", "Repeat Measurements", "重复测量", 12},
    {"StopVXMScan", "Stop VXM Scan", "停止VXM扫描", 12},
    {"ReadVXMInfo", "Read VXM Info", "显示VXM信息", 12},
    {"ReadTLSInfo", "Read TLS Info", "显示TLS信息", 12},
    {"LanguageButton", "English", "中文", 14},
    {"CloseExit", "Close / Exit", "关闭/退出", 14},
    {"CheckPowerMeter", "Power Meter", "单波长功率计", 12},
    {"CheckAlignMode", "TLS Power Spectrum", "输入激光的功率谱", 12},
    {"CheckVXMScanMode", "Device IL Spectrum", "测试器件的插损谱", 12},
    {"CheckRemoveBKG", "Remove Background", "去除背景", 12},
    {"TakeBackground", "Background", "取背景", 12},
    {"MeasureSpectrum", "Spectrum", "扫光谱", 12},
    {"TextLabel1", "Start Wavelength", "开始波长", 12},
    {"TextLabel2", "Stop Wavelength", "结束波长", 12},
    {"TextLabel3", "Sweep Speed", "扫描速度", 12},
    {"TextLabel4", "WL =", "波长 =", 12},
    {"TextLabel5", "Power =", "功率 =", 12},
    {"TextLabel6", "Average Number (<255)", "平均次数 (<255)", 12},
    {"TextLabel7", "Data Length (<=20001)", "数据长度 (<=20001)", 12},
    {"TextLabel8", "Center WL & BW at", "中心波长和带宽：在", 12},
    {"BasePower", "Base Power", "取参考功率", 12},
    {"Ref0Power", "Ref-0 dBm", "功率归零", 12},
    {"Reflection", "Reflection", "反射通道", 12},
    {"Transmission", "Transmission", "透射通道", 12},
    {"DeviceIdLabel", "Device ID", "器件编号", 11},
    {"HistoryButton", "History…", "历史记录…", 12},
};

constexpr CaptionRow kForm2Captions[] = {
    {"ZoomPlot", "Zoom In", "放大显示", 12},
    {"PanPlot", "Pan Plot", "移动显示", 12},
    {"NormalPlot", "Normal", "正常显示", 12},
    {"StopMeasure", "Stop Measure", "停止测量", 12},
    {"SaveSpectrum", "Save Spectrum", "保存光谱", 12},
    {"CloseForm2", "Close Form", "关闭显示", 12},
    {"RepeatabilityTest", "Repeatability Test", "重复性测量", 12},
    {"SaveAnalysis", "Save Results", "保存结果", 12},
    {"ResultLabel", "", "", 14},  // composed by resultLabelCaption()
    {"WLSpan", "WL Points", "波长位置", 12},
    {"ILoss", "IL Values", "插损数值", 12},
    // ---- extras: export buttons and the statistics panel
    {"SavePlot", "Save Plot", "保存图形", 12},
    {"SaveCSV", "Save CSV", "保存CSV", 12},
    {"RepeatStatsTitle", "Repeatability Statistics", "重复性统计", 12},
    // ---- extras: markers on the plot
    {"MarkerPlot", "Markers", "标记", 12},
    {"AutoMarkers", "Auto markers", "自动标记", 12},
};

// Messages, grouped by the subsystem that shows them. "\r\n" is the line break of the
// information box.
constexpr TextEntry kTexts[] = {
    // ---- application shell
    {"app.welcome", "\r\nWelcome to use VXM", "\r\nWelcome to use VXM"},
    {"app.libraryMissing",
     "\r\nThe device library libKetrolanLib.so could not be loaded (%1).\r\nThe VXM module cannot be used.",
     "\r\n无法加载设备库 libKetrolanLib.so（%1）。\r\n无法使用VXM模块。"},
    {"app.resultLabel", "Analysis results at %1 dB down", "在 %1 dB Down 的分析结果"},

    // ---- module link
    {"module.portFailed", "VXM COM port set failed \r\nPlease check VXM COM port", "VXM COM端口设置失败 \r\n请检查VXM COM端口"},
    {"module.portOk", "VXM COM port set successfully\r\nHandle = %1", "VXM COM端口设置成功\r\nHandle = %1"},
    {"module.connectedCaption", "VXM Connected", "VXM连接完成"},
    {"module.connected", "VXM is connected", "VXM已经连接"},
    {"module.connectFailed", "VXM connection failed\r\nPlease connect VXM", "VXM连接失败\r\n请重新连接VXM"},
    {"module.infoFailed", "Reading VXM info failed\r\nPlease read again", "显示VXM信息失败\r\n请重新显示"},
    {"module.stopOk", "Stop Scan Code = %1\r\nCurrent VXM scan is stopped", "Stop Scan Code = %1\r\n停止当前VXM扫描"},
    {"module.stopFailed", "Stop Scan Code = %1\r\nPlease check status", "Stop Scan Code = %1\r\n请检查状态"},

    // ---- laser link
    {"laser.errorHeader", "  Error Warning!\r\n\r\n  Error Code = %1\r\n", "  出错提醒!\r\n\r\n  错误码 = %1\r\n"},
    {"laser.error0001", "  TLS received an unknown command.", "  激光器接收到未知命令"},
    {"laser.error0002", "  TLS received data is Out-Of-Range.", "  激光器接收到的数据超出范围"},
    {"laser.error0009", "  TLS received data has Checksum Error.", "  激光器接收到的数据Checksum错误"},
    {"laser.errorUnknown", "  Unknown error code.\r\n  Please report to Ostrel.", "  未知错误码。请联系Ostrel。"},
    {"laser.portOpen", "COM Port to TLS is open !", "TLS的COM端口已经打开 !"},
    {"laser.portAlreadyOpen", "COM Port to TLS is already open !", "TLS的COM端口已经打开 !"},
    {"laser.stateOff", "0 = Off", "0 = 关"},
    {"laser.stateOn", "1 = On", "1 = 开"},
    {"laser.isOn", "TLS is On", "激光已经打开"},
    {"laser.isOff", "TLS is Off", "激光已经关闭"},
    {"laser.offCaption", "Set TLS Off", "关闭TLS"},
    {"laser.onCaption", "Set TLS On", "打开激光"},
    {"laser.startSweepCaption", "Start TLS Sweep", "开始TLS扫描"},
    {"laser.stopSweepCaption", "Stop TLS Sweep", "停止TLS扫描"},
    {"laser.sweepStopped", "TLS stops sweeping", "TLS停止扫描"},
    {"laser.wavelengthOutOfRange", "Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !",
     "波长超出范围 !\r\n  请重新设置波长 !"},
    {"laser.sweepSpeedInvalid", "Sweep Speed must be 0 to 65535 (nm/s) !\r\n  Please set Sweep Speed again !",
     "扫描速度必须在 0 到 65535 (nm/s) 之间 !\r\n  请重新设置扫描速度 !"},
    {"laser.sweepWavelengthInvalid",
     "Sweep wavelengths must be -2147483 to 2147483 (nm) !\r\n  Please set Start and Stop Wavelength again !",
     "扫描波长必须在 -2147483 到 2147483 (nm) 之间 !\r\n  请重新设置开始和结束波长 !"},
    {"laser.infoPN", "1. P/N: ", "1. 产品型号 (P/N): "},
    {"laser.infoSN", "2. S/N: ", "2. 序 列 号 (S/N): "},
    {"laser.infoMD", "3. M/D: ", "3. 生产日期 (M/D): "},
    {"laser.infoFR", "4. F/R: ", "4. 软件版本 (F/R): "},
    {"laser.infoHR", "5. H/R: ", "5. 硬件版本 (H/R): "},
    {"laser.infoLS", "6. L/S: ", "6. 激光状态 (L/S): "},
    {"laser.infoWL", "7. W/L: ", "7. 波长范围 (W/L): "},

    // ---- measurement
    {"measure.scanRawCode", "Scan Raw Code = %1\r\nPlease check status", "Scan Raw Code = %1\r\n请检查状态"},
    {"measure.scanVxmCode", "Scan VXM Code = %1\r\nPlease check status", "Scan VXM Code = %1\r\n请检查状态"},
    {"measure.scanFailed", "Scan data failed", "扫描数据失败"},
    {"measure.readFailed", "Reading Data failed", "读取数据失败"},
    {"measure.reflection", " Reflection channel", " Reflection channel"},
    {"measure.transmission", " Transmission channel", " Transmission channel"},
    {"measure.resultLabel", "Analysis results at %1 dB down", "在 %1 dB 的分析结果"},
    {"measure.backgroundMissing", "No background stored for this channel\r\nPlease take a background first",
     "此通道没有存储背景\r\n请先扫描背景"},
    {"measure.backgroundShort",
     "The background has fewer points than the spectrum\r\nPlease take a background with the same settings",
     "背景点数少于光谱点数\r\n请用相同设置重新扫描背景"},
    {"measure.badRange", "The start wavelength must be below the stop wavelength\r\nNothing was sent to the module",
     "起始波长必须小于终止波长\r\n未向模块发送任何命令"},
    {"measure.outsideLaserRange",
     "The start and stop wavelengths must lie within the laser's range\r\nNothing was sent to the module",
     "起始和终止波长必须在激光器的波长范围之内\r\n未向模块发送任何命令"},
    {"measure.badSpeed", "The sweep speed must be above 0 nm/s\r\nNothing was sent to the module",
     "扫描速度必须大于 0 nm/s\r\n未向模块发送任何命令"},
    {"measure.badAverage", "The average number must lie between 1 and 254\r\nNothing was sent to the module",
     "平均次数必须在 1 到 254 之间\r\n未向模块发送任何命令"},
    {"measure.badLength", "The data length must lie between 101 and 20001 points\r\nNothing was sent to the module",
     "数据长度必须在 101 到 20001 点之间\r\n未向模块发送任何命令"},
    {"measure.badBackgroundLength",
     "The data length of a background must lie between 2 and 20001 points\r\nNothing was sent to the module",
     "背景的数据长度必须在 2 到 20001 点之间\r\n未向模块发送任何命令"},
    {"measure.scanTimeout", "The scan did not end within %1 s and was stopped\r\nPlease check the module",
     "扫描未在 %1 秒内结束，已停止扫描\r\n请检查模块"},
    {"measure.powerTimeout", "No power reading after %1 attempts\r\nPlease check the module",
     "尝试 %1 次后仍无功率读数\r\n请检查模块"},
    {"measure.noPoints", "The module returned no points\r\nPlease check status", "模块未返回任何数据点\r\n请检查状态"},
    {"measure.busy", "A measurement is running\r\nPlease wait for it to end or stop it",
     "测量正在进行\r\n请等待其结束或停止测量"},
    {"measure.noLogRow", "No channel found yet: pass %1 is not logged", "尚未找到通道：第 %1 次未记录"},
    {"measure.logFailed", "The log line could not be written to\r\n%1", "无法写入日志文件\r\n%1"},

    // ---- results window
    {"results.workbookFilter", "Workbooks (*.xlsx)", "工作簿 (*.xlsx)"},
    // The plot's titles and channel label are English in both languages.
    {"results.xTitle", " Wavelength (nm) ", " Wavelength (nm) "},
    {"results.yTitleLoss", " Insertion Loss (dB) ", " Insertion Loss (dB) "},
    {"results.yTitlePower", " Power (dBm) ", " Power (dBm) "},
    {"results.channel", "Channel #%1", "Channel #%1"},

    // ---- extras: plot and spectrum export, progress strip
    {"extras.pictureFilter", "PNG pictures (*.png)", "PNG 图片 (*.png)"},
    {"extras.csvFilter", "CSV files (*.csv)", "CSV 文件 (*.csv)"},
    {"extras.scanProgress", "Scan %1 s / %2 s", "扫描 %1 秒 / %2 秒"},
    {"extras.scanProgressUnknown", "Scan %1 s", "扫描 %1 秒"},
    {"extras.detectProgress", "Probing COM%1 of %2", "正在检测 COM%1 / %2"},

    // ---- extras: repeatability statistics panel
    {"extras.statsTitle", "Repeatability statistics", "重复性统计"},
    {"extras.statsCount", "n = %1", "次数 = %1"},
    {"extras.statsMean", "Mean", "平均值"},
    {"extras.statsStdDev", "Std dev", "标准差"},
    {"extras.statsMin", "Min", "最小值"},
    {"extras.statsMax", "Max", "最大值"},
    {"extras.statsCenter", "Center WL (nm)", "中心波长 (nm)"},
    {"extras.statsBandwidth", "Bandwidth (nm)", "带宽 (nm)"},
    {"extras.statsPeak", "Peak / IL (dB)", "峰值 / 插损 (dB)"},

    // ---- remote control: the main window's indicator and the reasons of refused commands
    {"remote.listening", "Remote control on %1", "远程控制：%1"},
    {"remote.measuring", "a measurement is running", "正在测量"},
    {"remote.disabled", "%1 is disabled", "%1 不可用"},
    {"remote.noTrace", "no spectrum has been measured", "尚未测量光谱"},
    {"remote.noVerdict", "no verdict", "没有判定结果"},
    {"remote.noPort", "no port is asked for", "未在等待连接端口"},
    {"remote.idControl", "the device ID holds a control character", "器件编号含有控制字符"},
    {"remote.idTooLong", "the device ID is longer than %1 characters", "器件编号超过 %1 个字符"},
    {"remote.limitsName", "sent by remote control", "由远程控制发送"},

    // ---- verdict: channel plan, limits and the figures table
    {"verdict.plan", "Channel plan", "信道规划"},
    {"verdict.planNone", "None", "无"},
    {"verdict.planCwdm", "CWDM", "CWDM"},
    {"verdict.planDwdm100", "DWDM 100 GHz", "DWDM 100 GHz"},
    {"verdict.planDwdm50", "DWDM 50 GHz", "DWDM 50 GHz"},
    {"verdict.limits", "Limits…", "限值…"},
    {"verdict.limitsFilter", "Limits files (*.json)", "限值文件 (*.json)"},
    {"verdict.noLimits", "No limits loaded", "未加载限值"},
    {"verdict.limitsName", "Limits: %1", "限值：%1"},
    {"verdict.pass", "PASS", "合格"},
    {"verdict.fail", "FAIL", "不合格"},
    {"verdict.failing", "Failing: %1", "不合格项：%1"},
    {"verdict.countWrong", "%1 of %2 channels found", "找到 %1 个通道，应为 %2 个"},
    {"verdict.unreadable", "The limits file cannot be read:\r\n%1", "无法读取限值文件：\r\n%1"},
    {"verdict.refused", "Limits file refused, line %1: %2", "限值文件被拒绝，第 %1 行：%2"},
    {"verdict.reasonJson", "not valid JSON (%1)", "不是有效的 JSON（%1）"},
    {"verdict.reasonObject", "an object { } is expected here", "此处应为对象 { }"},
    {"verdict.reasonKey", "unknown key \"%1\"", "未知的键 \"%1\""},
    {"verdict.reasonFigure", "unknown figure \"%1\"", "未知的指标 \"%1\""},
    {"verdict.reasonPlan", "unknown channel plan \"%1\"", "未知的信道规划 \"%1\""},
    {"verdict.reasonNumber", "\"%1\" must be a number", "\"%1\" 必须是数字"},
    {"verdict.reasonMinMax", "min above max for \"%1\"", "\"%1\" 的最小值大于最大值"},
    {"verdict.reasonChannel", "\"%1\" must be a channel number from 1", "\"%1\" 必须是从 1 开始的通道号"},
    {"verdict.reasonLevels", "levels_db must hold two positive numbers", "levels_db 必须包含两个正数"},
    {"verdict.colGrid", "Grid (nm)", "栅格 (nm)"},
    {"verdict.colOffsetNm", "Offset (nm)", "偏移 (nm)"},
    {"verdict.colOffsetGhz", "Offset (GHz)", "偏移 (GHz)"},
    {"verdict.colBandwidth", "BW (nm)", "带宽 (nm)"},
    {"verdict.colBandwidthAt", "BW %1 dB (nm)", "%1 dB 带宽 (nm)"},
    {"verdict.colRipple", "Ripple (dB)", "纹波 (dB)"},
    {"verdict.colIl", "IL (dB)", "插损 (dB)"},
    {"verdict.colIlMin", "IL min (dB)", "最小插损 (dB)"},
    {"verdict.colIlMax", "IL max (dB)", "最大插损 (dB)"},
    {"verdict.colIsolation", "Isolation (dB)", "隔离度 (dB)"},
    {"verdict.colVerdict", "Verdict", "判定"},
    {"verdict.colFailing", "Failing", "不合格项"},
    {"verdict.colMask", "Mask margin (dB)", "模板余量 (dB)"},
    {"verdict.marginal", "Marginal: %1", "临界项：%1"},
    {"verdict.reasonGuard", "the guard of \"%1\" must be a number from 0, beside a min or a max",
     "\"%1\" 的保护带必须是不小于 0 的数字，并与 min 或 max 同时给出"},
    {"verdict.reasonMaskReference", "the mask's reference must be \"grid\" or \"absolute\", not \"%1\"",
     "模板的参考必须是 \"grid\" 或 \"absolute\"，而不是 \"%1\""},
    {"verdict.reasonMaskLine", "the mask line \"%1\" must hold two or more [nm, dB] points, nm never falling",
     "模板线 \"%1\" 必须包含至少两个 [nm, dB] 点，且 nm 不递减"},

    // ---- extras: markers on the plot
    {"markers.reading", "M%1: %2 nm, %3 %4", "标记%1：%2 nm，%3 %4"},
    {"markers.unplaced", "M%1: -", "标记%1：-"},
    {"markers.difference", "M2 - M1: Δλ = %1 nm, Δ = %2 dB", "标记2 - 标记1：Δλ = %1 nm，Δ = %2 dB"},
    {"markers.keys",
     "Click the plot to place marker 1, then marker 2; a later click moves the nearer one.\n"
     "Keys: 1 and 2 pick a marker, Left and Right move it one point (with Shift ten), Delete removes it.",
     "单击图形放置标记1，再放置标记2；之后的单击移动较近的标记。\n"
     "按键：1 和 2 选择标记，左右方向键移动一个点（按住 Shift 移动十个点），Delete 删除标记。"},

    // ---- measurement records: the indicator and the store's problems (%1 where, %2 the cause)
    {"records.stored", "Records: stored", "记录：已保存"},
    {"records.waiting", "Records: %1 waiting", "记录：%1 条待保存"},
    {"records.malformed", "The records database address cannot be read: %1\r\n%2\r\nRecords are kept on this computer",
     "无法识别记录数据库地址：%1\r\n%2\r\n记录暂存在本机"},
    {"records.driver", "The database driver %2 is not installed for %1\r\nRecords are kept on this computer",
     "未安装数据库驱动 %2（%1）\r\n记录暂存在本机"},
    {"records.unreachable", "The records database %1 cannot be reached\r\n%2\r\nRecords are kept on this computer and sent when it answers",
     "无法连接记录数据库 %1\r\n%2\r\n记录暂存在本机，连接恢复后发送"},
    {"records.denied", "The records database %1 refused the user or password\r\n%2\r\nRecords are kept on this computer",
     "记录数据库 %1 拒绝了用户名或密码\r\n%2\r\n记录暂存在本机"},
    {"records.noDatabase", "The records database %1 does not exist on the server\r\n%2\r\nRecords are kept on this computer",
     "服务器上不存在记录数据库 %1\r\n%2\r\n记录暂存在本机"},
    {"records.schema", "The records database %1 has another schema version\r\n%2\r\nRecords are kept on this computer",
     "记录数据库 %1 的结构版本不同\r\n%2\r\n记录暂存在本机"},
    {"records.readOnly", "The records database %1 cannot be written\r\n%2\r\nRecords are kept on this computer",
     "记录数据库 %1 无法写入\r\n%2\r\n记录暂存在本机"},
    {"records.failed", "The records database %1 failed\r\n%2\r\nRecords are kept on this computer",
     "记录数据库 %1 出错\r\n%2\r\n记录暂存在本机"},
    {"records.back", "The records database %1 answers again: waiting records are sent",
     "记录数据库 %1 已恢复连接：正在发送暂存记录"},

    // ---- extras: history window
    {"history.title", "Measurement History", "测量历史记录"},
    {"history.deviceId", "Device ID", "器件编号"},
    {"history.from", "From", "从"},
    {"history.to", "To", "到"},
    {"history.verdict", "Verdict", "判定"},
    {"history.bench", "Bench", "测试台"},
    {"history.any", "(any)", "（全部）"},
    {"history.noVerdict", "(none)", "（无）"},
    {"history.search", "Search", "查询"},
    {"history.count", "%1 records", "共 %1 条记录"},
    {"history.countLimited", "%1 records, the newest %2 listed", "共 %1 条记录，列出最新 %2 条"},
    {"history.open", "Open", "打开"},
    {"history.overlayAdd", "Add to Overlay", "加入叠加"},
    {"history.overlayClear", "Clear Overlay", "清除叠加"},
    {"history.currentTrace", "Current trace", "当前光谱"},
    {"history.exportWorkbook", "Export Workbook", "导出工作簿"},
    {"history.exportCsv", "Export CSV", "导出CSV"},
    {"history.close", "Close", "关闭"},
    {"history.settings", "Settings", "设置"},
    {"history.figures", "Figures", "指标"},
    {"history.list", "Records", "测量记录"},
    {"history.channelTable", "Channel results", "通道结果"},
    {"history.plot", "Spectrum plot", "光谱图"},
    {"history.overlayFull", "At most four records can be overlaid", "最多只能叠加四条记录"},
    {"history.exportFailed", "The export could not be written to\r\n%1", "无法写入导出文件\r\n%1"},
    {"history.storeFailed", "The records cannot be read: %1", "无法读取测量记录：%1"},
    {"history.colTime", "Time", "时间"},
    {"history.colKind", "Kind", "类型"},
    {"history.colChannels", "Channels", "通道数"},
    {"history.colPoints", "Points", "点数"},
    {"history.kindSpectrum", "Spectrum", "光谱"},
    {"history.kindPass", "Pass %1", "第 %1 次"},
    {"history.kindPower", "Power", "功率"},
    {"history.noDeviceId", "(no ID)", "（无编号）"},
    {"history.mode", "Mode", "模式"},
    {"history.modePower", "Power Meter", "单波长功率计"},
    {"history.modeAlign", "TLS Power Spectrum", "输入激光的功率谱"},
    {"history.modeRegular", "Device IL Spectrum", "测试器件的插损谱"},
    {"history.start", "Start Wavelength (nm)", "开始波长 (nm)"},
    {"history.stop", "Stop Wavelength (nm)", "结束波长 (nm)"},
    {"history.speed", "Sweep Speed (nm/s)", "扫描速度 (nm/s)"},
    {"history.average", "Average Number", "平均次数"},
    {"history.dataLength", "Data Length", "数据长度"},
    {"history.channel", "Channel", "通道"},
    {"history.path", "Path", "光路"},
    {"history.reflection", "Reflection", "反射通道"},
    {"history.transmission", "Transmission", "透射通道"},
    {"history.scan", "Scan", "扫描"},
    {"history.background", "Background", "取背景"},
    {"history.spectrum", "Spectrum", "扫光谱"},
    {"history.removeBackground", "Remove Background", "去除背景"},
    {"history.basePower", "Base Power", "取参考功率"},
    {"history.ref0", "Ref-0 dBm", "功率归零"},
    {"history.nDb", "Center WL & BW at (dB)", "中心波长和带宽 (dB)"},
    {"history.power", "Power", "功率"},
    {"history.module", "VXM", "VXM"},
    {"history.laser", "TLS", "TLS"},
    {"history.program", "Program", "程序版本"},
    {"history.host", "Host", "主机"},
    {"history.yes", "Yes", "是"},
    {"history.no", "No", "否"},

    // ---- production station: recipes, reference backgrounds, ports
    {"station.recipeRefused", "Recipe refused, line %1: %2", "配方被拒绝，第 %1 行：%2"},
    {"station.reasonMissing", "\"%1\" is missing", "缺少 \"%1\""},
    {"station.reasonText", "\"%1\" must be a text that is not empty", "\"%1\" 必须是非空文本"},
    {"station.reasonWhole", "\"%1\" must be a whole number", "\"%1\" 必须是整数"},
    {"station.reasonNumber", "\"%1\" must be a number", "\"%1\" 必须是数字"},
    {"station.reasonPositive", "\"%1\" must be above 0", "\"%1\" 必须大于 0"},
    {"station.reasonBoolean", "\"%1\" must be true or false", "\"%1\" 必须是 true 或 false"},
    {"station.reasonChoice", "\"%1\" must be one of %2", "\"%1\" 必须是以下之一：%2"},
    {"station.reasonNotUsed", "\"%1\" does not apply to this measurement", "\"%1\" 不适用于此测量"},
    {"station.reasonPorts", "\"ports\" must list distinct whole numbers from 1", "\"ports\" 必须列出互不相同且从 1 开始的整数"},
    {"station.reasonPortCount", "the limits' \"channels\" must equal the number of ports (%1)",
     "限值的 \"channels\" 必须等于端口数（%1）"},
    {"station.reasonMaskPlan", "a mask on the grid needs a channel plan in the limits",
     "以栅格为参考的模板需要在限值中给出信道规划"},
    {"station.backgroundMissing", "No background has been taken with these settings: take a new background",
     "尚未以这些设置取背景：请重新取背景"},
    {"station.backgroundStale", "The background is %1 min old, older than the %2 min the recipe allows: take a new background",
     "背景已取 %1 分钟，超过配方允许的 %2 分钟：请重新取背景"},
    {"station.backgroundUndated", "The background's time lies after the present time: take a new background",
     "背景的时间晚于当前时间：请重新取背景"},
    {"station.backgroundMismatch", "The background was taken with %1 %2, this measurement uses %3: take a new background",
     "背景的%1为 %2，本次测量为 %3：请重新取背景"},
    {"station.settingStart", "the start wavelength", "开始波长"},
    {"station.settingStop", "the stop wavelength", "结束波长"},
    {"station.settingLength", "the data length", "数据长度"},
    {"station.settingChannel", "the channel", "通道"},
    {"station.connectPort", "Connect port %1 of %2", "请连接端口 %1（共 %2 个）"},
};
// clang-format on

const TextEntry* find(const char* key)
{
    const auto* it = std::find_if(std::begin(kTexts), std::end(kTexts),
                                  [key](const TextEntry& e) { return std::strcmp(e.key, key) == 0; });
    return it == std::end(kTexts) ? nullptr : it;
}

}  // namespace

QString textIn(const char* key, int language)
{
    const TextEntry* e = find(key);
    if (!e) return QStringLiteral("!%1!").arg(QLatin1String(key));
    if (language == 1) return QString::fromUtf8(e->english);
    if (language == 2) return QString::fromUtf8(e->chinese);
    return {};
}

QString T(const char* key) { return textIn(key, Module1.Language); }

bool hasText(const char* key) { return find(key) != nullptr; }

std::span<const TextEntry> allTexts() { return kTexts; }

std::span<const CaptionRow> form1Captions() { return kForm1Captions; }

std::span<const CaptionRow> form2Captions() { return kForm2Captions; }

QString resultLabelCaption(const QString& text8, int language)
{
    const QString pattern = textIn("app.resultLabel", language);
    return pattern.isNull() ? QString() : pattern.arg(text8);
}
