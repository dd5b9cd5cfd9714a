/* C interface of the VXM module's device library (libKetrolanLib.so). All integers are 32-bit
 * signed; buffers are caller-owned. A tested status is 1 for success; any other value is an
 * error code. Wavelength buffers come back in picometres, power buffers in dBm. */
#ifndef KETROLAN_LIB_H
#define KETROLAN_LIB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int32_t Ketrolan_Initialize_Lib(int32_t reserved);
int32_t Ketrolan_Get_Lib_Version(uint8_t* version /* 9 bytes */);
/* Opens COM(comIndex + 1); returns a handle above 1000 on success. */
int32_t Ketrolan_Initialize_Port(int32_t comIndex);
int32_t Ketrolan_Initialize_Connection(int32_t handle);
int32_t Ketrolan_Get_Info(int32_t handle, uint8_t* info /* 151 bytes */);
int32_t Ketrolan_Read_PowerMeter(int32_t handle, int32_t channel, float* powerDbm);
int32_t Ketrolan_Start_Scan(int32_t handle, int32_t startNm, int32_t stopNm, int32_t speedNmPerS,
                            int32_t averages, int32_t dataLength, int32_t channel, int32_t sweepFlag);
int32_t Ketrolan_AlignMode_Scan(int32_t handle, int32_t startNm, int32_t stopNm, int32_t speedNmPerS,
                                int32_t channel, int32_t sweepFlag);
int32_t Ketrolan_Is_Scan_Done(int32_t handle);
int32_t Ketrolan_Get_ScanData(int32_t handle, float* wavelengthPm, float* powerDbm, int32_t dataLength,
                              int32_t channel);
int32_t Ketrolan_Get_AlignMode_Data(int32_t handle, float* wavelengthPm, float* powerDbm, int32_t* count,
                                    int32_t channel);
int32_t Ketrolan_Stop_Scan(int32_t handle);
int32_t Ketrolan_Stop_All(void);
int32_t Ketrolan_Release(int32_t handle);
int32_t Ketrolan_Release_All(void);

#ifdef __cplusplus
}
#endif

#endif
