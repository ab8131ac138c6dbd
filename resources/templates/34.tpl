		
		
							tempS=GetId("S_120").value+"从#"+GetId("S_STime").value+"#至#"+GetId("S_ETime").value+"#";			
							
						  break; 
		
